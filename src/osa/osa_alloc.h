// Allocation of runtime records, replaceable so that tests can make it fail.
#pragma once

#include <cstddef>

// malloc, unless a test has installed a failing allocator.
void* OSA_memAlloc(size_t size);

// Test hook: the next `count` allocations through OSA_memAlloc fail
// (return null). 0 restores normal allocation.
void OSA_memFailNext(int count);

// Test hook: lets the next `allowed` allocations succeed, then fails the
// `count` after them, so that a test can reach one particular allocation
// inside an operation. OSA_memFailNext(n) is OSA_memFailAfter(0, n).
void OSA_memFailAfter(int allowed, int count);
