// Construction of the runtime's small heap objects through OSA_memAlloc, so
// that tests can make their creation fail like any other allocation.
#pragma once

#include "osa/osa_alloc.h"

#include <cstdlib>
#include <new>
#include <utility>

template <typename T, typename... Args> T* OSA_newObject(Args&&... args) {
    void* memory = OSA_memAlloc(sizeof(T));
    if (memory == nullptr) {
        return nullptr;
    }
    return ::new (memory) T(std::forward<Args>(args)...);
}

template <typename T> void OSA_deleteObject(T* object) {
    if (object != nullptr) {
        object->~T();
        std::free(object);
    }
}
