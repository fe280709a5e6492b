// setupcheck: checks a setup manifest and the folder beside it by the program's own rules
// before it ships, and reports each finding like a compiler, with the manifest's line.
// With --write-install it first writes the manifest's [Install] section from the folder.
// Exit value: 0 clean, 1 warnings only, 2 errors (a manifest that cannot be read, or
// files that cannot be installed as named, included).
#include "check_manifest.h"
#include "folder_access.h"
#include "manifest/profile_text.h"
#include "write_install.h"

#include <stdio.h>

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#endif

static int usage()
{
    fprintf(stderr, "usage: setupcheck [--program NAME] MANIFEST\n"
                    "       setupcheck --write-install MAIN [--dry-run] [--program NAME] MANIFEST\n"
                    "  checks the setup manifest (SETUP.inf) and the files beside it;\n"
                    "  --program: the program file that is shipped with it (default: any .exe beside it)\n"
                    "  --write-install: first writes its [Install] section from every file under its folder,\n"
                    "    MAIN (the product's main program, relative to the folder) as entry 1; an existing\n"
                    "    manifest is updated; --dry-run shows the result and writes nothing\n");
    return 2;
}

struct Run {
    std::string path;               // the manifest as given
    std::string folder;             // its folder, with its separator ("" for the current one)
    CheckInput input;
};

static void print(const std::string& path, unsigned line, const char* kind, const std::string& text)
{
    std::string where = line == 0 ? path : path + ":" + std::to_string(line);
    printf("%s: %s: %s\n", where.c_str(), kind, forDisplay(text).c_str());
}

// Prints the findings in line order with their count; the exit value they give.
static int report(const std::string& path, std::vector<Finding> findings)
{
    std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) { return a.line < b.line; });
    int errors = 0, warnings = 0;
    for (const Finding& finding : findings) {
        print(path, finding.line, finding.error ? "error" : "warning", finding.text);
        ++(finding.error ? errors : warnings);
    }
    if (errors + warnings > 0)
        printf("%s: %d error%s, %d warning%s\n", path.c_str(), errors, errors == 1 ? "" : "s", warnings,
               warnings == 1 ? "" : "s");
    return errors > 0 ? 2 : warnings > 0 ? 1 : 0;
}

// The manifest's bytes and its text as the program reads it; false when it cannot be read.
static bool readManifest(Run& run, std::string* why)
{
    size_t size = 0;
    char* text = nullptr;
    if (!readFileBytes(run.path, &run.input.bytes, why) || (text = readProfileText(run.path.c_str(), 932, &size)) == nullptr)
        return false;
    run.input.text.assign(text, size);
    freeProfileText(text);
    return true;
}

// The program files that read the manifest beside it: the one given, or every .exe there
// whose manifest name it is.
static std::vector<std::string> readers(const Run& run)
{
    if (run.input.programGiven)
        return run.input.programNames;
    std::vector<std::string> found;
    for (const std::string& name : run.input.programNames)
        if (isProgramFileName(name) && lower(manifestNameFor(name)) == lower(run.input.manifestName))
            found.push_back(name);
    return found;
}

static int writeInstall(Run& run, const std::string& mainProgram, bool dryRun)
{
    InstallWriteInput write;
    write.manifestName = run.input.manifestName;
    write.programNames = readers(run);
    write.mainProgram = fromCommandLine(mainProgram);
    std::string why;
    write.exists = readManifest(run, &why);
    if (!write.exists && sourceExists(run.folder, run.input.manifestName)) {
        printf("%s: error: cannot read the manifest: %s\n", run.path.c_str(), why.empty() ? "read error" : why.c_str());
        return 2;
    }
    write.bytes = run.input.bytes;
    write.text = run.input.text;
    write.files = filesUnder(run.folder);
    InstallWriteResult result = writeInstallSection(write);
    if (!result.refused.empty()) {
        report(run.path, result.refused);
        printf("%s: nothing written\n", run.path.c_str());
        return 2;
    }
    for (const Finding& change : result.changes)
        print(run.path, change.line, "note", change.text);
    run.input.bytes = result.bytes;
    run.input.text = result.text;
    int status = report(run.path, checkManifest(run.input));
    if (dryRun) {
        printf("%s: --dry-run: nothing written; the manifest would read:\n%s", run.path.c_str(),
               forDisplay(result.bytes).c_str());
        return status;
    }
    if (!writeFileBytes(run.path, result.bytes, &why)) {
        printf("%s: error: cannot write the manifest: %s\n", run.path.c_str(), why.c_str());
        return 2;
    }
    printf("%s: [Install] written: %u entries\n", run.path.c_str(), result.entries);
    return status;
}

int main(int argc, char** argv)
{
#ifdef _WIN32
    SetConsoleOutputCP(932);
#endif
    std::string program, mainProgram;
    bool write = false, dryRun = false;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--program" && i + 1 < argc)
            program = fromCommandLine(argv[++i]);
        else if (argument == "--write-install" && i + 1 < argc)
            write = true, mainProgram = argv[++i];
        else if (argument == "--dry-run")
            dryRun = true;
        else if (argument[0] == '-' || path != nullptr)
            return usage();
        else
            path = argv[i];
    }
    if (path == nullptr || (dryRun && !write))
        return usage();

    Run run;
    run.path = path;
    size_t slash = run.path.find_last_of("/\\");
    run.folder = slash == std::string::npos ? "" : run.path.substr(0, slash + 1);
    run.input.manifestName = fromCommandLine(run.path.substr(run.folder.size()));
    run.input.programGiven = !program.empty();
    if (run.input.programGiven)
        run.input.programNames.push_back(program);
    else
        run.input.programNames = filesIn(run.folder);
    std::string folder = run.folder;
    run.input.sourceExists = [folder](const std::string& relative) { return sourceExists(folder, relative); };

    if (write)
        return writeInstall(run, mainProgram, dryRun);
    std::string why;
    if (!readManifest(run, &why)) {
        printf("%s: error: cannot read the manifest: %s\n", path, why.empty() ? "read error" : why.c_str());
        return 2;
    }
    return report(run.path, checkManifest(run.input));
}
