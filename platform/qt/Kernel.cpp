// The few kernel and common-control calls the program makes.
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/win32.h"

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName)
{
    if (moduleName != nullptr) {
        return nullptr;
    }
    // The program's own module: a fixed handle, as an executable's base address is.
    return reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(0x400000));
}

HLOCAL WINAPI LocalAlloc(UINT flags, SIZE_T bytes)
{
    const SIZE_T size = bytes == 0 ? 1 : bytes;
    return (flags & LMEM_ZEROINIT) ? std::calloc(1, size) : std::malloc(size);
}

HLOCAL WINAPI LocalFree(HLOCAL memory)
{
    std::free(memory);
    return nullptr;
}

void WINAPI Sleep(DWORD milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

DWORD WINAPI GetTickCount(void)
{
    using namespace std::chrono;
    return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* init)
{
    return init != nullptr ? TRUE : FALSE;
}

void WINAPI InitCommonControls(void) {}
