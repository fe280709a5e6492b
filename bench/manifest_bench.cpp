// Manifest reading benchmark: counting and reading 200, 1,000 and 4,000 install entries,
// once key by key through GetPrivateProfileStringA (the reading before the one-read
// manifest) and once through the program's readers. Medians of 5 runs, in milliseconds.
// Usage (under Wine): manifest_bench.exe [FOLDER]
#include "app/state.h"
#include "manifest/entries.h"
#include "manifest/ini_text.h"
#include "manifest/profile_text.h"

#include <windows.h>

#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

static double now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * (double)counter.QuadPart / (double)frequency.QuadPart;
}

static double median(std::vector<double> runs)
{
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

static void writeManifest(const std::string& path, int entries)
{
    std::string text = "[Install]\r\n";
    for (int i = 1; i <= entries; ++i)
        text += std::to_string(i) + "=data\\file" + std::to_string(i) + ".dat\r\n";
    text += "[Group]\r\n1=Main,data\\file1.dat\r\n";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), (DWORD)text.size(), &written, nullptr);
    CloseHandle(file);
}

// Count, then read every entry once more, as the install steps do: one platform read each.
static int perKey(const std::string& path)
{
    char value[PATH_SIZE + 1];
    char key[16];
    int count = 0;
    for (;;) {
        wsprintfA(key, "%d", count + 1);
        if (GetPrivateProfileStringA("Install", key, "", value, sizeof value, path.c_str()) == 0)
            break;
        ++count;
    }
    for (int i = 1; i <= count; ++i) {
        wsprintfA(key, "%d", i);
        GetPrivateProfileStringA("Install", key, "", value, sizeof value, path.c_str());
    }
    return count;
}

// The same through the program's readers: one read of the file, then lookups.
static int oneRead(const std::string& path)
{
    resetSetupState();
    lstrcpyA(setup.manifestPath, path.c_str());
    lstrcpyA(setup.destDir, "C:\\Korval\\");
    int count = 0;
    while (loadInstallEntry(count + 1))
        ++count;
    for (int i = 1; i <= count; ++i)
        loadInstallEntry(i);
    return count;
}

int main(int argc, char** argv)
{
    std::string folder = argc > 1 ? argv[1] : "C:\\manifest-bench\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    printf("entries  per-key read (ms)  one read (ms)  of which decoding (ms)  parsing+index (ms)\n");
    for (int entries : { 200, 1000, 4000 }) {
        std::string path = folder + "SETUP" + std::to_string(entries) + ".inf";
        writeManifest(path, entries);
        std::vector<double> before, after, decode, parse;
        for (int run = 0; run < 5; ++run) {
            double start = now();
            if (perKey(path) != entries)
                return 1;
            before.push_back(now() - start);
            start = now();
            if (oneRead(path) != entries)
                return 1;
            after.push_back(now() - start);
            // the one read's parts: the platform's decoding, and our parse of the sections
            start = now();
            size_t size = 0;
            char* text = readProfileText(path.c_str(), CP_ACP, &size);
            double decoded = now();
            IniCursor cursor;
            IniLine line;
            if (iniFindSection(&cursor, text, size, "Install"))
                while (iniNextLine(&cursor, &line) && line.kind != INI_SECTION)
                    iniEntryNumber(line.name, line.nameLength);
            parse.push_back(now() - decoded);
            decode.push_back(decoded - start);
            freeProfileText(text);
        }
        printf("%7d  %17.1f  %13.2f  %22.2f  %18.2f\n", entries, median(before), median(after), median(decode),
               median(parse));
    }
    return 0;
}
