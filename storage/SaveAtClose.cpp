#include "storage/SaveAtClose.h"

#include "storage/FileReader.h"
#include "storage/FileSystem.h"

#include <vector>

namespace passgen {

namespace {

// Compares as it reads, so a large file that differs early is not read whole.
bool holdsExactly(const std::filesystem::path& path, std::string_view bytes)
{
    const std::unique_ptr<FileReader> reader = openFileReader(path);
    std::vector<char> buffer(64 * 1024);
    bool same = true;
    while (same) {
        const std::size_t count = reader->read(buffer);
        if (count == 0) {
            break;
        }
        same = bytes.starts_with(std::string_view(buffer.data(), count));
        bytes.remove_prefix(same ? count : 0);
    }
    reader->close();
    return same && bytes.empty();
}

std::optional<KeptBecause> reasonToKeep(const std::filesystem::path& path, PathHolds holds,
                                        const LoadedFile& loaded)
{
    if (holds == PathHolds::Nothing) {
        return std::nullopt;
    }
    if (!loaded.found) {
        // Made by someone else since, or there at the start but not read.
        return loaded.passedOver ? KeptBecause::NotRead : KeptBecause::ChangedSinceLoad;
    }
    if (!loaded.complete) {
        return KeptBecause::ReadCutShort;
    }
    if (holds != PathHolds::SettingsFile || !holdsExactly(path, loaded.bytes)) {
        return KeptBecause::ChangedSinceLoad;
    }
    if (!loaded.decodedCleanly) {
        return KeptBecause::NotInCodePage;
    }
    return std::nullopt;
}

} // namespace

std::optional<KeptBecause> saveAtClose(const std::u16string& text,
                                       const std::filesystem::path& path, LoadedFile& compared)
{
    std::optional<KeptBecause> kept;
    namingFile(path, [&] {
        const std::string bytes = settingsBytes(text);
        const PathHolds holds = lookUp(path);
        const bool unchanged = text == compared.text;
        if (unchanged) {
            kept = reasonToKeep(path, holds, compared);
        }
        if (kept) {
            return;
        }
        // An unchanged set's file holds what was read, if it is there.
        const bool holdsBytes = unchanged
                                    ? holds != PathHolds::Nothing && compared.bytes == bytes
                                    : holds == PathHolds::SettingsFile && holdsExactly(path, bytes);
        // Not written again: another copy closing at the same moment may
        // have saved its edit since this one read the file back.
        if (!holdsBytes) {
            replaceFile(path, bytes);
        }
        compared = LoadedFile{.text = text, .bytes = bytes, .found = true, .restoredFrom = {}};
    });
    return kept;
}

} // namespace passgen
