// Small stand-ins for the platform's threads, events and critical sections.
// Every type here is a plain handle (a pointer) so that records holding them
// can be zero-filled by their owners, as the task runtime's callers do.
#pragma once

#include <cstdint>

struct OsaEventImpl;
struct OsaLockImpl;
struct OsaThreadImpl;

using OsaEventHandle = OsaEventImpl*;
using OsaThreadHandle = OsaThreadImpl*;

// A critical section: a record that is initialised in place and deleted.
struct OsaCriticalSection {
    OsaLockImpl* impl;
};

constexpr uint32_t OSA_INFINITE = 0xFFFFFFFFu;

// Result of the waits below.
constexpr int32_t OSA_WAIT_SIGNALED = 0;
constexpr int32_t OSA_WAIT_TIMED_OUT = 1;
constexpr int32_t OSA_WAIT_FAILED = -1;

// Returns 0, or -1 when the lock cannot be made (no memory).
int32_t OSA_csInit(OsaCriticalSection* cs, uint32_t spinCount = 0);
void OSA_csEnter(OsaCriticalSection* cs);
void OSA_csLeave(OsaCriticalSection* cs);
void OSA_csDelete(OsaCriticalSection* cs);

// Events: manual reset stays set until reset; auto reset releases one waiter
// and clears itself. Null on failure.
OsaEventHandle OSA_eventCreate(bool manualReset, bool initialState);
void OSA_eventSet(OsaEventHandle ev);
void OSA_eventReset(OsaEventHandle ev);
// timeoutMs: OSA_INFINITE waits without limit.
int32_t OSA_eventWait(OsaEventHandle ev, uint32_t timeoutMs);
void OSA_eventClose(OsaEventHandle ev);

// A thread created suspended; it runs entry(arg) once resumed.
using OsaThreadEntry = uint32_t (*)(void* arg);
OsaThreadHandle OSA_threadCreateSuspended(OsaThreadEntry entry, void* arg, uint32_t stackReserve,
                                          uint32_t* threadId);
void OSA_threadSetAboveNormalPriority(OsaThreadHandle th);
void OSA_threadResume(OsaThreadHandle th);
// Waits until the thread has ended; OSA_WAIT_TIMED_OUT when it has not within
// the bound (the thread is then joined later by OSA_threadClose).
int32_t OSA_threadWait(OsaThreadHandle th, uint32_t timeoutMs);
// Joins the thread (it must be ending: its entry has returned or is returning).
void OSA_threadClose(OsaThreadHandle th);
