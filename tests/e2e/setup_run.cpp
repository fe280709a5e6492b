// End-to-end support: staging and starting the built SETUP.EXE (see setup_run.h).
#include "setup_run.h"

#include "scratch.h"
#include "test_guard.h"

#include <string.h>

std::string builtSetupPath()
{
    char dir[MAX_PATH];
    GetCurrentDirectoryA(sizeof dir, dir);
    return std::string(dir) + "\\" SETUP_EXE_NAME;
}

std::string builtRecorderPath()
{
    std::string setupPath = builtSetupPath();
    return setupPath.substr(0, setupPath.rfind('\\') + 1) + "tests\\recorder.exe";
}

bool readRecorderLog(const std::string& folder, std::string* commandLine, std::string* directory)
{
    std::string log = folder + "recorder.log";
    Waiting waiting("the started product to write " + log);
    for (int i = 0; i < 500 && readFile(log).find('\n') == std::string::npos; ++i)
        Sleep(20);
    std::string content = readFile(log);
    size_t newline = content.find('\n');
    if (newline == std::string::npos)
        return false;
    *commandLine = content.substr(0, newline);
    *directory = content.substr(newline + 1);
    return true;
}

std::string stageSetup(const std::string& name, const std::string& manifest)
{
    std::string folder = scratchFolder(name);
    CopyFileA(builtSetupPath().c_str(), (folder + "SETUP.EXE").c_str(), FALSE);
    if (!manifest.empty())
        writeFile(folder + "SETUP.inf", manifest);
    return folder;
}

DWORD SetupProcess::wait(DWORD timeoutMs)
{
    if (!info.hProcess)
        return (DWORD)-2;
    DWORD code = (DWORD)-1;
    Waiting waiting("SETUP.EXE (process " + std::to_string(info.dwProcessId) + ") to end");
    if (WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(info.hProcess, &code);
    else
        TerminateProcess(info.hProcess, 99);
    return code;
}

SetupProcess::~SetupProcess()
{
    if (info.hProcess) {
        if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info.hProcess, 99);
            WaitForSingleObject(info.hProcess, 5000);
        }
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
}

RemoteMemory::RemoteMemory(DWORD pid, size_t size)
{
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_CREATE_THREAD |
                               PROCESS_QUERY_INFORMATION | SYNCHRONIZE,
                           FALSE, pid);
    if (process_)
        address_ = (char*)VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteMemory::~RemoteMemory()
{
    if (address_)
        VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_)
        CloseHandle(process_);
}

bool RemoteMemory::write(size_t at, const void* bytes, size_t size) const
{
    return address_ && WriteProcessMemory(process_, address_ + at, bytes, size, nullptr);
}

bool RemoteMemory::read(size_t at, void* bytes, size_t size) const
{
    return address_ && ReadProcessMemory(process_, address_ + at, bytes, size, nullptr);
}

bool loadLibraryInside(DWORD pid, const char* name)
{
    RemoteMemory memory(pid, strlen(name) + 1);
    if (!memory.write(0, name, strlen(name) + 1))
        return false;
    // kernel32 lies at the same address in every process of one architecture
    LPTHREAD_START_ROUTINE load = (LPTHREAD_START_ROUTINE)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                                                "LoadLibraryA");
    HANDLE thread = CreateRemoteThread(memory.process(), nullptr, 0, load, memory.address(), 0, nullptr);
    if (!thread)
        return false;
    Waiting waiting(std::string("process ") + std::to_string(pid) + " to load " + name);
    bool ended = WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0;
    CloseHandle(thread);
    return ended;
}

// linkinfo.dll is one of the Windows shell's; Wine has none of that name, so it searches the
// program folder first for it without being told
const char* const plantedDllNames[] = { "uxtheme.dll", "msimg32.dll", "comctl32.dll", "linkinfo.dll", nullptr };

bool plantedDllsSearchedFirst()
{
    char overrides[1024] = "";
    GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
    return strstr(overrides, "uxtheme,msimg32,comctl32=n,b") != nullptr;
}

void plantDlls(const std::string& folder)
{
    std::string planted = builtRecorderPath();
    planted = planted.substr(0, planted.rfind('\\') + 1) + "planted.dll";
    for (int i = 0; plantedDllNames[i]; ++i)
        CopyFileA(planted.c_str(), (folder + plantedDllNames[i]).c_str(), FALSE);
}

std::string plantedDllsLoaded(const std::string& folder)
{
    std::string loaded;
    for (int i = 0; plantedDllNames[i]; ++i)
        if (fileExists(folder + plantedDllNames[i] + ".loaded"))
            loaded += std::string(loaded.empty() ? "" : " ") + plantedDllNames[i];
    return loaded;
}

bool startSetup(SetupProcess& process, const std::string& exePath, const std::string& arguments,
                const std::string& currentDir)
{
    std::string line = "\"" + exePath + "\"";
    if (!arguments.empty())
        line += " " + arguments;
    STARTUPINFOA startup = { sizeof startup };
    // explicit (invalid) standard handles: the program does not inherit the test's console
    startup.dwFlags = STARTF_USESTDHANDLES;
    return CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                          currentDir.empty() ? nullptr : currentDir.c_str(), &startup, &process.info) != 0;
}

bool startSetup(SetupProcess& process, const std::wstring& exePath)
{
    std::wstring line = L"\"" + exePath + L"\"";
    STARTUPINFOW startup = { sizeof startup };
    startup.dwFlags = STARTF_USESTDHANDLES;
    return CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process.info) != 0;
}
