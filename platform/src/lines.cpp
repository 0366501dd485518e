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
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    if (buf_.size() < kChunk) buf_.resize(kChunk);
    begin_ = end_ = 0;
    eof_ = false;
    lines_ = 0;
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
    for (;;) {
        const char* base = buf_.data();
        const void* nl =
            end_ > scanned ? std::memchr(base + scanned, '\n', end_ - scanned) : nullptr;
        if (nl) {
            std::size_t stop = static_cast<const char*>(nl) - base;
            std::size_t len = stop - begin_;
            if (len > 0 && base[stop - 1] == '\r') --len;
            line = std::string_view(base + begin_, len);
            begin_ = stop + 1;
            ++lines_;
            return true;
        }
        std::size_t pending = end_ - begin_;
        if (!fill()) {
            if (end_ == begin_) return false;
            // A last line without a line end.
            std::size_t len = end_ - begin_;
            if (buf_[begin_ + len - 1] == '\r') --len;
            line = std::string_view(buf_.data() + begin_, len);
            begin_ = end_;
            ++lines_;
            return true;
        }
        scanned = begin_ + pending;
    }
}

bool LineReader::at_end() {
    if (begin_ < end_) return false;
    return !fill();
}

std::vector<std::string> read_lines(const std::filesystem::path& p, std::error_code& ec) {
    std::vector<std::string> out;
    LineReader reader;
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
