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
// holds exactly the bytes the load read whole and decoded cleanly. A file
// that the load passed over is never written unless the set was changed. Returns
// why the file was kept, or nothing when the set was written. Every failure,
// of whatever kind, throws StorageError naming path.
std::optional<KeptBecause> saveAtClose(const std::u16string& text,
                                       const std::filesystem::path& path, const LoadedFile& loaded);

} // namespace passgen
