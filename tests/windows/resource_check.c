/* resource_check PROGRAM VERSION: reads PROGRAM (varne.exe) the way Windows
 * does and checks what it carries: the manifest, as the system parses it
 * into an activation context; the icon Explorer shows; the version resource
 * against VERSION (x.y.z, from CMake); that every DLL it imports is one
 * of the system's; and that the loader may place it anywhere in the 64-bit
 * address space (ASLR, high entropy) and never runs its data (DEP). One line per check; exit status 0 only if all pass.
 *
 * C, not C++: a small Win32 tool, and the shared suite gathers every .cpp
 * under tests/ into varne_tests. */
#include <windows.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

static int checks;
static int failures;

static void Check(BOOL ok, const char* format, ...) {
  va_list args;
  va_start(args, format);
  ++checks;
  if (!ok) ++failures;
  fputs(ok ? "ok   " : "FAIL ", stdout);
  vprintf(format, args);
  fputc('\n', stdout);
  va_end(args);
}

/* ---- the manifest ---- */

static const char* const kManifestMustSay[] = {
    "name=\"Microsoft.Windows.Common-Controls\"",
    "version=\"6.0.0.0\"",
    "publicKeyToken=\"6595b64144ccf1df\"",
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", /* Windows 7 */
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", /* Windows 8 */
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", /* Windows 8.1 */
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", /* Windows 10 and 11 */
    "level=\"asInvoker\"",
};

struct Setting {
  const wchar_t* space; /* NULL: the 2005 namespace */
  const wchar_t* name;
  const wchar_t* value;
};

static const struct Setting kSettings[] = {
    {NULL, L"dpiAware", L"true/pm"},
    {L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness",
     L"PerMonitorV2, PerMonitor"},
    {L"http://schemas.microsoft.com/SMI/2019/WindowsSettings", L"activeCodePage", L"UTF-8"},
};

static BOOL CALLBACK CountName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR count) {
  (void)module, (void)type, (void)name;
  ++*(int*)count;
  return TRUE;
}

static void CheckManifest(HMODULE module, const wchar_t* path) {
  int manifests = 0;
  EnumResourceNamesW(module, (LPCWSTR)RT_MANIFEST, CountName, (LONG_PTR)&manifests);
  Check(manifests == 1, "one manifest resource (found %d)", manifests);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(CREATEPROCESS_MANIFEST_RESOURCE_ID),
                              (LPCWSTR)RT_MANIFEST);
  Check(found != NULL, "the manifest is RT_MANIFEST %d, the one read at process start",
        CREATEPROCESS_MANIFEST_RESOURCE_ID);
  if (found == NULL) return;
  const DWORD size = SizeofResource(module, found);
  const char* bytes = LockResource(LoadResource(module, found));
  char* text = calloc(size + 1, 1);
  if (bytes == NULL || text == NULL) {
    Check(FALSE, "the manifest can be read");
    free(text);
    return;
  }
  memcpy(text, bytes, size);
  for (size_t i = 0; i < sizeof kManifestMustSay / sizeof *kManifestMustSay; ++i)
    Check(strstr(text, kManifestMustSay[i]) != NULL, "the manifest says %s", kManifestMustSay[i]);
  free(text);

  /* What the text says is only what it says: the system's own parser must
   * accept it, resolve Common Controls 6 and read each setting back. */
  ACTCTXW request;
  memset(&request, 0, sizeof request);
  request.cbSize = sizeof request;
  request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  request.lpSource = path;
  request.lpResourceName = MAKEINTRESOURCEW(CREATEPROCESS_MANIFEST_RESOURCE_ID);
  HANDLE context = CreateActCtxW(&request);
  Check(context != INVALID_HANDLE_VALUE, "the system builds an activation context from it (error %lu)",
        context == INVALID_HANDLE_VALUE ? GetLastError() : 0);
  if (context == INVALID_HANDLE_VALUE) return;
  for (size_t i = 0; i < sizeof kSettings / sizeof *kSettings; ++i) {
    wchar_t value[128] = L"";
    SIZE_T written = 0;
    const BOOL read = QueryActCtxSettingsW(0, context, kSettings[i].space, kSettings[i].name, value,
                                           sizeof value / sizeof *value, &written);
    Check(read && wcscmp(value, kSettings[i].value) == 0, "setting %ls is \"%ls\" (read \"%ls\")",
          kSettings[i].name, kSettings[i].value, read ? value : L"nothing");
  }
  ULONG_PTR cookie = 0;
  if (ActivateActCtx(context, &cookie)) {
    /* This process never loaded comctl32, so the load goes by the context. */
    HMODULE controls = LoadLibraryW(L"comctl32.dll");
    wchar_t file[MAX_PATH] = L"";
    if (controls != NULL) GetModuleFileNameW(controls, file, MAX_PATH);
    _wcslwr(file);
    Check(wcsstr(file, L"microsoft.windows.common-controls") != NULL && wcsstr(file, L"_6.0.") != NULL,
          "comctl32 comes from the side-by-side Common Controls 6 (%ls)", file);
    if (controls != NULL) FreeLibrary(controls);
    DeactivateActCtx(0, cookie);
  } else {
    Check(FALSE, "the activation context can be activated (error %lu)", GetLastError());
  }
  ReleaseActCtx(context);
}

/* ---- the icon ---- */

#pragma pack(push, 2)
typedef struct {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
} GroupIconEntry;
#pragma pack(pop)

static const int kIconSizes[] = {16, 24, 32, 48, 64, 256};

static BOOL CALLBACK FirstName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR first) {
  (void)module, (void)type;
  *(LPWSTR*)first = name; /* integer ids only: a string name would need copying */
  return FALSE;
}

static DWORD BigEndian32(const BYTE* at) {
  return (DWORD)at[0] << 24 | (DWORD)at[1] << 16 | (DWORD)at[2] << 8 | at[3];
}

/* The width and height an RT_ICON image says it has: a PNG's IHDR, or a
 * DIB whose height counts the colour and the mask rows. */
static BOOL IconImageSize(const BYTE* image, DWORD bytes, int* width, int* height) {
  static const BYTE kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (bytes >= 24 && memcmp(image, kPng, 8) == 0) {
    *width = (int)BigEndian32(image + 16);
    *height = (int)BigEndian32(image + 20);
    return TRUE;
  }
  if (bytes >= sizeof(BITMAPINFOHEADER)) {
    BITMAPINFOHEADER header;
    memcpy(&header, image, sizeof header);
    if (header.biSize < sizeof header) return FALSE;
    *width = header.biWidth;
    *height = header.biHeight / 2;
    return TRUE;
  }
  return FALSE;
}

static void CheckIcon(HMODULE module) {
  LPWSTR first = NULL;
  EnumResourceNamesW(module, (LPCWSTR)RT_GROUP_ICON, FirstName, (LONG_PTR)&first);
  /* The directory lists string names before ids, ids in ascending order:
   * the first entry is the icon Explorer shows. */
  Check(first != NULL && IS_INTRESOURCE(first),
        "the first icon group has a numeric id, the one Explorer shows");
  if (first == NULL || !IS_INTRESOURCE(first)) return;
  HRSRC found = FindResourceW(module, first, (LPCWSTR)RT_GROUP_ICON);
  const BYTE* group = found ? LockResource(LoadResource(module, found)) : NULL;
  const DWORD size = found ? SizeofResource(module, found) : 0;
  const WORD count = group != NULL && size >= 6 ? *(const WORD*)(group + 4) : 0;
  const int expected = (int)(sizeof kIconSizes / sizeof *kIconSizes);
  Check(count == expected && size >= 6 + (DWORD)count * sizeof(GroupIconEntry),
        "icon group %u holds %d images (holds %u)", (unsigned)(ULONG_PTR)first, expected, count);
  if (count != expected || size < 6 + (DWORD)count * sizeof(GroupIconEntry)) return;
  BOOL seen[sizeof kIconSizes / sizeof *kIconSizes] = {FALSE};
  for (WORD i = 0; i < count; ++i) {
    GroupIconEntry entry;
    memcpy(&entry, group + 6 + i * sizeof entry, sizeof entry);
    const int side = entry.width == 0 ? 256 : entry.width; /* 0 stands for 256 */
    HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(entry.id), (LPCWSTR)RT_ICON);
    const BYTE* bytes = image ? LockResource(LoadResource(module, image)) : NULL;
    const DWORD length = image ? SizeofResource(module, image) : 0;
    int width = 0, height = 0;
    const BOOL sized = bytes != NULL && length == entry.bytes && IconImageSize(bytes, length, &width, &height);
    Check(sized && width == side && height == side,
          "icon image %u: %d px in the group, %dx%d in its own header", entry.id, side, width, height);
    for (int k = 0; k < expected; ++k) seen[k] = seen[k] || kIconSizes[k] == side;
  }
  for (int k = 0; k < expected; ++k) Check(seen[k], "the icon has a %d px image", kIconSizes[k]);
}

/* ---- the version ---- */

static void CheckString(const BYTE* info, const wchar_t* block, const wchar_t* name,
                        const wchar_t* expected, BOOL containsOnly) {
  wchar_t query[96];
  swprintf(query, sizeof query / sizeof *query, L"\\StringFileInfo\\%ls\\%ls", block, name);
  wchar_t* value = NULL;
  UINT length = 0;
  const BOOL found = VerQueryValueW(info, query, (void**)&value, &length) && value != NULL;
  const BOOL ok = found && (containsOnly ? wcsstr(value, expected) != NULL : wcscmp(value, expected) == 0);
  Check(ok, "version string %ls %ls \"%ls\" (is \"%ls\")", name, containsOnly ? L"holds" : L"is",
        expected, found ? value : L"missing");
}

static void CheckVersion(const wchar_t* path, const char* version) {
  unsigned major = 0, minor = 0, patch = 0;
  char rest = 0;
  if (sscanf(version, "%u.%u.%u%c", &major, &minor, &patch, &rest) != 3) {
    Check(FALSE, "expected version \"%s\" has the form x.y.z", version);
    return;
  }
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  BYTE* info = size ? malloc(size) : NULL;
  Check(info != NULL && GetFileVersionInfoW(path, 0, size, info), "the program has version information");
  if (info == NULL) return;
  VS_FIXEDFILEINFO* fixed = NULL;
  UINT length = 0;
  if (VerQueryValueW(info, L"\\", (void**)&fixed, &length) && length >= sizeof *fixed) {
    Check(fixed->dwSignature == 0xFEEF04BD, "the fixed version record is signed");
    const DWORD high = MAKELONG(minor, major), low = MAKELONG(0, patch);
    Check(fixed->dwFileVersionMS == high && fixed->dwFileVersionLS == low,
          "FILEVERSION is %u.%u.%u.0 (is %lu.%lu.%lu.%lu)", major, minor, patch,
          HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
          HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
    Check(fixed->dwProductVersionMS == high && fixed->dwProductVersionLS == low,
          "PRODUCTVERSION is %u.%u.%u.0", major, minor, patch);
    Check(fixed->dwFileType == VFT_APP, "the file type is an application");
    Check((fixed->dwFileFlags & fixed->dwFileFlagsMask) == 0, "no debug or pre-release flag");
  } else {
    Check(FALSE, "the fixed version record can be read");
  }
  struct {
    WORD language, codePage;
  }* translation = NULL;
  wchar_t block[9] = L"";
  if (VerQueryValueW(info, L"\\VarFileInfo\\Translation", (void**)&translation, &length) &&
      length >= sizeof *translation) {
    swprintf(block, 9, L"%04x%04x", translation->language, translation->codePage);
  }
  Check(wcscmp(block, L"040904b0") == 0, "the strings are US English, UTF-16 (block \"%ls\")", block);
  wchar_t text[32];
  swprintf(text, sizeof text / sizeof *text, L"%u.%u.%u", major, minor, patch);
  CheckString(info, block, L"ProductName", L"Varne", FALSE);
  CheckString(info, block, L"FileDescription", L"Varne", FALSE);
  CheckString(info, block, L"FileVersion", text, FALSE);
  CheckString(info, block, L"ProductVersion", text, FALSE);
  CheckString(info, block, L"CompanyName", L"The Varne developers", FALSE);
  CheckString(info, block, L"LegalCopyright", L"The Varne developers", TRUE);
  CheckString(info, block, L"LegalCopyright", L"MIT", TRUE);
  CheckString(info, block, L"OriginalFilename", L"varne.exe", FALSE);
  CheckString(info, block, L"InternalName", L"varne", FALSE);
  free(info);
}

/* ---- the imports ---- */

static void CheckImports(const BYTE* base) {
  const IMAGE_DOS_HEADER* dos = (const IMAGE_DOS_HEADER*)base;
  const IMAGE_NT_HEADERS64* nt = (const IMAGE_NT_HEADERS64*)(base + dos->e_lfanew);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE || nt->Signature != IMAGE_NT_SIGNATURE ||
      nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
    Check(FALSE, "the program is a 64-bit PE image");
    return;
  }
  const WORD traits = nt->OptionalHeader.DllCharacteristics;
  Check((traits & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE) != 0, "ASLR: the image may be moved (DYNAMIC_BASE)");
  Check((traits & IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA) != 0,
        "ASLR with high entropy: anywhere in 64 bits (HIGH_ENTROPY_VA)");
  Check((traits & IMAGE_DLLCHARACTERISTICS_NX_COMPAT) != 0, "DEP: data never runs (NX_COMPAT)");
  /* Without its relocations the loader cannot move the image after all. */
  Check((nt->FileHeader.Characteristics & IMAGE_FILE_RELOCS_STRIPPED) == 0 &&
            nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC].Size != 0,
        "the stripped image keeps its relocations");
  const IMAGE_DATA_DIRECTORY* delayed =
      &nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT];
  Check(delayed->Size == 0, "no delay-loaded DLLs");
  const IMAGE_DATA_DIRECTORY* directory = &nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  const DWORD image = nt->OptionalHeader.SizeOfImage;
  if (directory->VirtualAddress == 0 || directory->VirtualAddress + directory->Size > image) {
    Check(FALSE, "the import directory lies inside the image");
    return;
  }
  char system[MAX_PATH];
  GetSystemDirectoryA(system, MAX_PATH);
  int imported = 0;
  for (const IMAGE_IMPORT_DESCRIPTOR* entry = (const void*)(base + directory->VirtualAddress);
       (const BYTE*)(entry + 1) <= base + image && entry->Name != 0; ++entry) {
    if (entry->Name >= image) break;
    const char* name = (const char*)base + entry->Name;
    const size_t length = strnlen(name, image - entry->Name);
    char file[MAX_PATH * 2];
    snprintf(file, sizeof file, "%s\\%.*s", system, (int)length, name);
    /* On Windows and in a Wine prefix alike, the system's DLLs are the files
     * of the system directory; a compiler's runtime DLL is not among them. */
    Check(GetFileAttributesA(file) != INVALID_FILE_ATTRIBUTES, "imports %.*s, a system DLL",
          (int)length, name);
    ++imported;
  }
  Check(imported > 0, "the import table lists the DLLs (%d)", imported);
}

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: resource_check PROGRAM VERSION\n");
    return 2;
  }
  wchar_t path[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, 0, argv[1], -1, path, MAX_PATH) == 0) return 2;
  /* Mapped as an image, neither started nor bound: resources and the import
   * table are then where their RVAs say. */
  HMODULE module = LoadLibraryExW(path, NULL, DONT_RESOLVE_DLL_REFERENCES);
  Check(module != NULL, "%s maps as an image (error %lu)", argv[1], module ? 0 : GetLastError());
  if (module == NULL) return 1;
  CheckManifest(module, path);
  CheckIcon(module);
  CheckVersion(path, argv[2]);
  CheckImports((const BYTE*)module);
  FreeLibrary(module);
  printf("%d checks, %d failed\n", checks, failures);
  return failures == 0 ? 0 : 1;
}
