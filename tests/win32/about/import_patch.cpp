// PatchImport: walks the main module's import descriptors (see import_patch.h).
#include "import_patch.h"

#include <windows.h>

namespace {

BYTE* ModuleBase() {
    return reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
}

IMAGE_IMPORT_DESCRIPTOR* FirstImport(BYTE* base) {
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0)
        return nullptr;
    return reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
}

void* Swap(ULONG_PTR* slot, void* replacement) {
    DWORD oldProtection = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &oldProtection))
        return nullptr;
    void* previous = reinterpret_cast<void*>(*slot);
    *slot = reinterpret_cast<ULONG_PTR>(replacement);
    VirtualProtect(slot, sizeof *slot, oldProtection, &oldProtection);
    return previous;
}

}  // namespace

void* PatchImport(const char* dll, const char* function, void* replacement) {
    BYTE* base = ModuleBase();
    for (IMAGE_IMPORT_DESCRIPTOR* d = FirstImport(base); d && d->Name; ++d) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + d->Name), dll) != 0)
            continue;
        if (!d->OriginalFirstThunk)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (lstrcmpA(reinterpret_cast<const char*>(byName->Name), function) == 0)
                return Swap(&slots->u1.Function, replacement);
        }
    }
    return nullptr;
}
