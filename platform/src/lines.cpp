#include "platform/lines.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

namespace {
constexpr std::size_t kChunk = 1 << 20;
}

LineReader::~LineReader() {
    close();
}

bool LineReader::open(const std::filesystem::path& p) {
    close();
    error_.clear();
    fd_ = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = std::error_code(errno, std::generic_category());
        return false;
    }
    return open(fd_);
}

bool LineReader::open(int fd) {
    if (fd != fd_) close();
    error_.clear();
    fd_ = fd;
    if (fd_ < 0) {
        error_ = std::make_error_code(std::errc::bad_file_descriptor);
        return false;
    }
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    if (buf_.size() < kChunk) buf_.resize(kChunk);
    begin_ = end_ = 0;
    eof_ = false;
    lines_ = 0;
    line_length_ = 0;
    bytes_read_ = 0;
    return true;
}

void LineReader::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    begin_ = end_ = 0;
    eof_ = true;
}

// Moves the unread bytes to the front and reads more behind them, growing the
// buffer when a single line fills it. False when nothing more could be read.
bool LineReader::fill() {
    if (fd_ < 0 || eof_) return false;
    if (begin_ > 0) {
        std::memmove(buf_.data(), buf_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == buf_.size()) buf_.resize(buf_.size() * 2);
    for (;;) {
        ssize_t n = ::read(fd_, buf_.data() + end_, buf_.size() - end_);
        if (n > 0) {
            end_ += static_cast<std::size_t>(n);
            bytes_read_ += static_cast<std::uint64_t>(n);
            return true;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) error_ = std::error_code(errno, std::generic_category());
        eof_ = true;
        return false;
    }
}

bool LineReader::next(std::string_view& line) {
    std::size_t scanned = begin_;
    std::uint64_t dropped = 0;  // bytes of this line past the bound, not kept
    char last_dropped = 0;
    // The line from begin_ to `stop`: its whole length, and the kept part.
    auto hand_out = [&](std::size_t stop) {
        const char* base = buf_.data();
        std::uint64_t len = stop - begin_ + dropped;
        if (len > 0) {
            // The byte before the line end is in the buffer unless it was dropped.
            const bool in_buffer = dropped == 0 || stop > begin_ + max_line_;
            if ((in_buffer ? base[stop - 1] : last_dropped) == '\r') --len;
        }
        line_length_ = len;
        const std::size_t kept =
            static_cast<std::size_t>(max_line_ > 0 && len > max_line_ ? max_line_ : len);
        line = std::string_view(base + begin_, kept);
        ++lines_;
    };
    for (;;) {
        const char* base = buf_.data();
        const void* nl =
            end_ > scanned ? std::memchr(base + scanned, '\n', end_ - scanned) : nullptr;
        if (nl) {
            const std::size_t stop = static_cast<const char*>(nl) - base;
            hand_out(stop);
            begin_ = stop + 1;
            return true;
        }
        if (max_line_ > 0 && end_ - begin_ > max_line_) {
            // Past the bound: count the rest of the line but keep only its start.
            dropped += end_ - begin_ - max_line_;
            last_dropped = base[end_ - 1];
            end_ = begin_ + max_line_;
        }
        std::size_t pending = end_ - begin_;
        if (!fill()) {
            if (end_ == begin_ && dropped == 0) return false;
            // A last line without a line end.
            hand_out(end_);
            begin_ = end_;
            return true;
        }
        scanned = begin_ + pending;
    }
}

bool LineReader::at_end() {
    if (begin_ < end_) return false;
    return !fill();
}

std::vector<std::string> read_lines(const std::filesystem::path& p, std::error_code& ec,
                                    std::size_t max_line) {
    std::vector<std::string> out;
    LineReader reader;
    reader.set_max_line(max_line);
    if (!reader.open(p)) {
        ec = reader.error();
        return out;
    }
    std::string_view line;
    while (reader.next(line)) out.emplace_back(line);
    ec = reader.error();
    return out;
}

LineWriter::~LineWriter() {
    close();
}

bool LineWriter::open(const std::filesystem::path& p, Mode m) {
    close();
    error_.clear();
    file_ = std::fopen(p.c_str(), m == Mode::append ? "ab" : "wb");
    if (!file_) {
        error_ = std::error_code(errno, std::generic_category());
        return false;
    }
    std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
    return true;
}

bool LineWriter::open(int fd) {
    close();
    error_.clear();
    file_ = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
    if (!file_) {
        error_ = std::error_code(fd >= 0 ? errno : EBADF, std::generic_category());
        if (fd >= 0) ::close(fd);
        return false;
    }
    std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
    return true;
}

bool LineWriter::write_raw(std::string_view bytes) {
    if (!file_) return false;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        if (!error_) error_ = std::error_code(errno, std::generic_category());
        return false;
    }
    return true;
}

bool LineWriter::write_line(std::string_view line) {
    return write_raw(line) && write_raw("\r\n");
}

bool LineWriter::close() {
    if (!file_) return !error_;
    bool ok = std::fflush(file_) == 0;
    if (!ok && !error_) error_ = std::error_code(errno, std::generic_category());
    if (std::fclose(file_) != 0 && !error_)
        error_ = std::error_code(errno, std::generic_category());
    file_ = nullptr;
    return !error_;
}

}  // namespace platform
