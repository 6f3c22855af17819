// resource_check FILE: what Windows itself reads from a program's resources,
// one "key: value" line each (UTF-8): the number of icon groups, the version block's
// FileVersion, ProductName and FileDescription, and the manifest's text on
// one line. Exits 1 when the file cannot be loaded as a module.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

BOOL CALLBACK countName(HMODULE, LPCWSTR, LPWSTR, LONG_PTR count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

std::string utf8(const wchar_t* text) {
    if (text == nullptr) return "";
    std::string out(static_cast<std::size_t>(
                        WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr)),
                    '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), static_cast<int>(out.size()), nullptr,
                        nullptr);
    if (!out.empty()) out.pop_back();  // the terminating zero
    return out;
}

std::string versionString(const std::vector<char>& block, const wchar_t* key) {
    struct Translation {
        WORD language, codePage;
    }* translation = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &size) ||
        size < sizeof(Translation))
        return "";
    wchar_t path[128];
    swprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translation->language,
             translation->codePage, key);
    wchar_t* value = nullptr;
    if (!VerQueryValueW(block.data(), path, reinterpret_cast<void**>(&value), &size)) return "";
    return utf8(value);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    HMODULE module = LoadLibraryExW(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) return 1;
    int icons = 0;
    EnumResourceNamesW(module, RT_GROUP_ICON, countName, reinterpret_cast<LONG_PTR>(&icons));
    std::printf("icons: %d\n", icons);

    DWORD handle = 0;
    std::vector<char> block(GetFileVersionInfoSizeW(argv[1], &handle));
    if (!block.empty() &&
        GetFileVersionInfoW(argv[1], 0, static_cast<DWORD>(block.size()), block.data())) {
        for (const wchar_t* key : {L"FileVersion", L"ProductName", L"FileDescription"})
            std::printf("%s: %s\n", utf8(key).c_str(), versionString(block, key).c_str());
    }

    std::string manifest;
    if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST)) {
        const char* text = static_cast<const char*>(LockResource(LoadResource(module, found)));
        manifest.assign(text, SizeofResource(module, found));
        for (char& c : manifest)
            if (c == '\r' || c == '\n') c = ' ';
    }
    std::printf("manifest: %s\n", manifest.c_str());
    FreeLibrary(module);
    return 0;
}
