// setupcheck: checks a setup manifest and the folder beside it by the program's own rules
// before it ships, and reports each finding like a compiler, with the manifest's line.
// Exit value: 0 clean, 1 warnings only, 2 errors (a manifest that cannot be read included).
#include "check_manifest.h"
#include "folder_access.h"
#include "manifest/profile_text.h"

#include <stdio.h>

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#endif

static int usage()
{
    fprintf(stderr, "usage: setupcheck [--program NAME] MANIFEST\n"
                    "  checks the setup manifest (SETUP.inf) and the files beside it;\n"
                    "  --program: the program file that is shipped with it (default: any .exe beside it)\n");
    return 2;
}

int main(int argc, char** argv)
{
#ifdef _WIN32
    SetConsoleOutputCP(932);
#endif
    std::string program;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--program" && i + 1 < argc)
            program = argv[++i];
        else if (argument[0] == '-' || path != nullptr)
            return usage();
        else
            path = argv[i];
    }
    if (path == nullptr)
        return usage();

    std::string manifestPath = path;
    size_t slash = manifestPath.find_last_of("/\\");
    std::string folder = slash == std::string::npos ? "" : manifestPath.substr(0, slash + 1);

    CheckInput input;
    input.manifestName = manifestPath.substr(folder.size());
    std::string why;
    size_t size = 0;
    char* text = nullptr;
    if (!readFileBytes(manifestPath, &input.bytes, &why) || (text = readProfileText(path, 932, &size)) == nullptr) {
        printf("%s: error: cannot read the manifest: %s\n", path, why.empty() ? "read error" : why.c_str());
        return 2;
    }
    input.text.assign(text, size);
    freeProfileText(text);
    input.programGiven = !program.empty();
    if (input.programGiven)
        input.programNames.push_back(program);
    else
        input.programNames = filesIn(folder);
    input.sourceExists = [&folder](const std::string& relative) { return sourceExists(folder, relative); };

    std::vector<Finding> findings = checkManifest(input);
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    int errors = 0, warnings = 0;
    for (const Finding& finding : findings) {
        std::string where = finding.line == 0 ? std::string(path) : std::string(path) + ":" + std::to_string(finding.line);
        printf("%s: %s: %s\n", where.c_str(), finding.error ? "error" : "warning", forDisplay(finding.text).c_str());
        ++(finding.error ? errors : warnings);
    }
    if (errors + warnings > 0)
        printf("%s: %d error%s, %d warning%s\n", path, errors, errors == 1 ? "" : "s", warnings, warnings == 1 ? "" : "s");
    return errors > 0 ? 2 : warnings > 0 ? 1 : 0;
}
