// Resolves a delay-loaded import on its first call: loads the DLL once, finds
// the function and writes it into the import's slot. This takes the place of
// mingw-w64's helper, which writes into the slot as it is; our linker keeps
// the import tables read-only, so the slot is opened for the write and closed
// again, under a lock, as two threads may resolve imports on the same page.
#include <windows.h>

#include <delayimp.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

SRWLOCK slotLock = SRWLOCK_INIT;

template <typename T> T* AtRva(DWORD rva) {
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(&__ImageBase) + rva);
}

[[noreturn]] void FailImport(DWORD error) {
    RaiseException(VcppException(ERROR_SEVERITY_ERROR, error), 0, 0, nullptr);
    ExitProcess(error); // not reached: nobody handles the exception
}

void WriteSlot(FARPROC* slot, FARPROC function) {
    AcquireSRWLockExclusive(&slotLock);
    DWORD protection;
    if (VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection)) {
        *slot = function;
        VirtualProtect(slot, sizeof *slot, protection, &protection);
    }
    ReleaseSRWLockExclusive(&slotLock);
}

} // namespace

extern "C" FARPROC WINAPI __delayLoadHelper2(PCImgDelayDescr descriptor, FARPROC* slot) {
    auto* module = AtRva<HMODULE>(descriptor->rvaHmod);
    HMODULE dll = reinterpret_cast<HMODULE>(
        InterlockedCompareExchangePointer(reinterpret_cast<void**>(module), nullptr, nullptr));
    if (!dll) {
        dll = LoadLibraryA(AtRva<const char>(descriptor->rvaDLLName));
        if (!dll)
            FailImport(ERROR_MOD_NOT_FOUND);
        // Another thread may have loaded it meanwhile: keep one reference.
        if (InterlockedCompareExchangePointer(reinterpret_cast<void**>(module), dll, nullptr))
            FreeLibrary(dll);
    }
    const IMAGE_THUNK_DATA& name =
        AtRva<IMAGE_THUNK_DATA>(descriptor->rvaINT)[slot - AtRva<FARPROC>(descriptor->rvaIAT)];
    FARPROC function =
        IMAGE_SNAP_BY_ORDINAL(name.u1.Ordinal)
            ? GetProcAddress(dll, MAKEINTRESOURCEA(IMAGE_ORDINAL(name.u1.Ordinal)))
            : GetProcAddress(dll,
                             AtRva<IMAGE_IMPORT_BY_NAME>(static_cast<DWORD>(name.u1.AddressOfData))->Name);
    if (!function)
        FailImport(ERROR_PROC_NOT_FOUND);
    WriteSlot(slot, function);
    return function;
}
