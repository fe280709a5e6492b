// The setup manifest read once, with the lines of sections "Install" and
// "Group" indexed by entry number, so that reading n entries takes time in proportion to n.
#include "manifest/manifest_file.h"

#include "app/state.h"
#include "manifest/profile_text.h"
#include "util/text.h"

#include <string.h>

// Indexes the numbered keys of the first section of the name; an entry number from the
// section's line count on cannot be among entries 1, 2, 3, ... and is left to a scan.
static void indexSection(ManifestSectionIndex* index, const char* name)
{
    ManifestText& manifest = setup.manifest;
    IniCursor start;
    if (!iniFindSection(&start, manifest.text, manifest.size, name))
        return;
    index->present = 1;
    unsigned lines = iniIndexEntries(start, nullptr, 0);
    index->lineOfEntry = (unsigned*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, ((size_t)lines + 1) * sizeof(unsigned));
    if (index->lineOfEntry == nullptr)
        return;
    index->slots = lines + 1;
    iniIndexEntries(start, index->lineOfEntry, index->slots);
}

// The manifest path does not change once it is derived, so the file is read at the first
// entry read and kept; a change of the file after that is not seen.
static void readManifestOnce()
{
    ManifestText& manifest = setup.manifest;
    if (manifest.read)
        return;
    manifest.read = 1;
    manifest.text = readProfileText(setup.manifestPath, CP_ACP, &manifest.size);
    if (manifest.text == nullptr)
        return;
    indexSection(&manifest.install, installSection);
    indexSection(&manifest.group, groupSection);
}

const char installSection[] = "Install";
const char groupSection[] = "Group";

bool findManifestEntry(const char* section, int number, IniLine* line)
{
    readManifestOnce();
    ManifestText& manifest = setup.manifest;
    if (manifest.text == nullptr)
        return false;
    const ManifestSectionIndex* index = nullptr;
    if (section == installSection)
        index = &manifest.install;
    else if (section == groupSection)
        index = &manifest.group;
    if (index != nullptr && !index->present)
        return false;
    if (index != nullptr && number > 0 && (unsigned)number < index->slots) {
        unsigned at = index->lineOfEntry[number];
        if (at == 0)
            return false;
        iniLineAt(manifest.text, manifest.size, at - 1, line);
        return true;
    }
    return iniFindValue(manifest.text, manifest.size, section, formatKey((unsigned)number), line);
}
