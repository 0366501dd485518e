// 8-bit line files. Readers take CR LF and a bare LF as the end of a line;
// writers end every line with CR LF. Bytes pass through unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace platform {

// Reads a file line by line through one large buffer; memory stays bounded by
// the buffer and the longest line, or by the buffer and `set_max_line` when a
// bound is set.
class LineReader {
  public:
    LineReader() = default;
    explicit LineReader(const std::filesystem::path& p) { open(p); }
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    bool open(const std::filesystem::path& p);  // the path is taken as it stands
    // Reads from an open descriptor, which the reader then owns and closes.
    bool open(int fd);
    bool is_open() const { return fd_ >= 0; }
    void close();

    // The next line without its line end, valid until the next call. False at
    // the end of the file (a last line without a line end is still a line) and
    // after a read error, which error() then tells.
    bool next(std::string_view& line);
    // True once every line has been handed out.
    bool at_end();
    // Keeps at most `bytes` of each line (0: no bound); the bytes past it are
    // read and counted but not kept, so memory stays bounded on any input.
    void set_max_line(std::size_t bytes) { max_line_ = bytes; }
    // The whole length of the line last handed out, line end excluded; more
    // than its size when the line was cut to the bound.
    std::uint64_t line_length() const { return line_length_; }
    // Bytes read from the file so far.
    std::uint64_t bytes_read() const { return bytes_read_; }
    const std::error_code& error() const { return error_; }
    // Lines handed out so far.
    std::uint64_t line_number() const { return lines_; }

  private:
    bool fill();
    int fd_ = -1;
    std::vector<char> buf_;
    std::size_t begin_ = 0, end_ = 0;
    bool eof_ = false;
    std::uint64_t lines_ = 0;
    std::size_t max_line_ = 0;
    std::uint64_t line_length_ = 0;
    std::uint64_t bytes_read_ = 0;
    std::error_code error_;
};

// Reads every line of a small file (catalogues, notes). A file that cannot be
// opened gives no lines and sets `ec`. Lines are kept up to `max_line` bytes.
inline constexpr std::size_t kSmallFileMaxLine = 64 * 1024;
std::vector<std::string> read_lines(const std::filesystem::path& p, std::error_code& ec,
                                    std::size_t max_line = kSmallFileMaxLine);

// Writes lines ending in CR LF through a buffer.
class LineWriter {
  public:
    enum class Mode { truncate, append };
    LineWriter() = default;
    LineWriter(const std::filesystem::path& p, Mode m) { open(p, m); }
    ~LineWriter();
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    bool open(const std::filesystem::path& p, Mode m);
    // Writes to an open descriptor, which the writer then owns and closes.
    bool open(int fd);
    bool is_open() const { return file_ != nullptr; }
    bool write_line(std::string_view line);  // adds CR LF
    bool write_raw(std::string_view bytes);
    // Flushes and closes; false when anything written since open failed.
    bool close();
    const std::error_code& error() const { return error_; }

  private:
    std::FILE* file_ = nullptr;
    std::error_code error_;
};

}  // namespace platform
