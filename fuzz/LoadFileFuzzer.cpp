// LoadFile's reading over arbitrary file bytes, read in pieces of a size the
// input chooses and with the reads it chooses failing, through the same
// file-reader seam the tests use. Checks that what a load read survives a
// save and a second load unchanged.
#include "storage/FileReader.h"
#include "storage/SettingsFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

using namespace passgen;

void check(bool holds)
{
    if (!holds) {
        std::abort();
    }
}

class MemoryReader final : public FileReader {
public:
    MemoryReader(std::string_view bytes, std::size_t piece, std::uint16_t failures)
        : m_bytes(bytes), m_piece(piece), m_failures(failures)
    {}

    std::size_t read(std::span<char> buffer) override
    {
        const bool fails = (m_failures >> (m_reads++ % 16)) & 1;
        if (fails) {
            throw StorageError("simbols", "Input/output error");
        }
        const std::size_t count = std::min({buffer.size(), m_piece, m_bytes.size()});
        std::copy_n(m_bytes.begin(), count, buffer.begin());
        m_bytes.remove_prefix(count);
        return count;
    }

    void close() override {}

private:
    std::string_view m_bytes;
    std::size_t m_piece;
    std::uint16_t m_failures;
    unsigned m_reads = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Four bytes of set-up, then the file.
    if (size < 4) {
        return 0;
    }
    const LoadMode mode = (data[0] & 1) != 0 ? LoadMode::KeepLineBreaks : LoadMode::JoinLines;
    const std::size_t piece = data[1] == 0 ? 64 * 1024 : data[1];
    std::uint16_t failures = 0;
    std::memcpy(&failures, data + 2, sizeof failures);
    const std::string_view file(reinterpret_cast<const char*>(data + 4), size - 4);

    const LoadServices services{[](std::u16string_view, std::u16string_view) {}, [] {}};
    MemoryReader reader(file, piece, failures);
    const LoadedFile loaded = readSettings(reader, mode, services);
    check(file.starts_with(loaded.bytes));
    check(!loaded.complete || loaded.bytes == file);

    const std::string saved = settingsBytes(loaded.text);
    MemoryReader again(saved, 64 * 1024, 0);
    const LoadedFile reloaded = readSettings(again, mode, services);
    check(reloaded.complete);
    check(reloaded.text == loaded.text);
    return 0;
}
