#pragma once

#include "storage/SettingsFile.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace passgen {

// Why a set was not written back at the close of a run.
enum class KeptBecause : std::uint8_t {
    ChangedSinceLoad, // it no longer holds what the load read: another copy wrote it
    ReadCutShort,     // the load could not read it whole
    NotInCodePage,    // some of its bytes are no character in the code page
    NotRead,          // the load passed it over: hidden, system, no normal file
};

// Writes a set back at the close of a run, unless that would lose what its
// file holds. The set is written when it differs from what the load gave
// (the user changed it), when the file is missing, or when the file still
// holds exactly the bytes the load read whole and decoded cleanly; but not
// where the file already holds exactly the bytes it would get. A file that
// the load passed over is never written unless the set was changed.
// compared is what the load saw; once the file holds the set, whether
// written now or already, it describes that file instead, so that a later
// save of the same run (a log-off's query saves, then the close) compares
// against what this one left. Returns why the file was kept, or nothing when
// it holds the set. Every failure, of whatever kind, throws StorageError
// naming path.
std::optional<KeptBecause> saveAtClose(const std::u16string& text,
                                       const std::filesystem::path& path, LoadedFile& compared);

} // namespace passgen
