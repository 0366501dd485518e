#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support.hpp"

namespace {

using sigmartest::Folder;
using sigmartest::Outcome;
using sigmartest::read_file;
using sigmartest::stamped;
using sigmartest::upload_like;
namespace fs = std::filesystem;

class sigmar_command : public testing::Test {
  protected:
    Outcome stamp_command(std::vector<std::string> args) {
        args.insert(args.begin(), sigmartest::built("sigmar-stamp").string());
        // Temporary files go to a folder of the test, to see that none stay.
        return sigmartest::run(args, output_.path() / "out.txt",
                               {"TMPDIR=" + tmp_.path().string()});
    }
    bool tmp_is_empty() const { return fs::is_empty(tmp_.path()); }

    Folder folder_;
    Folder tmp_;
    Folder output_;
};

TEST_F(sigmar_command, StampsAFileAndShowsTheResult) {
    const auto file = folder_.write("DJ1879.txt", upload_like(3000));
    const std::string content = read_file(file);
    const Outcome first = stamp_command({file.string()});
    EXPECT_EQ(first.exit_code, 0) << first.output;
    EXPECT_NE(first.output.find("resultado 0"), std::string::npos) << first.output;
    EXPECT_NE(first.output.find(stamped(content).substr(31, 10)), std::string::npos)
        << first.output;
    EXPECT_EQ(read_file(file), stamped(content));

    const Outcome again = stamp_command({file.string()});
    EXPECT_EQ(again.exit_code, 1);
    EXPECT_NE(again.output.find("resultado 1:"), std::string::npos) << again.output;
}

// The library's name ends at the first blank; the command still stamps such files
// and tells a missing folder from a missing file.
TEST_F(sigmar_command, StampsFilesWhoseNamesHoldBlanks) {
    const auto file = folder_.write("Mis Documentos/DJ 1879.txt", upload_like(500));
    const std::string content = read_file(file);
    const Outcome run = stamp_command({file.string()});
    EXPECT_EQ(run.exit_code, 0) << run.output;
    EXPECT_EQ(read_file(file), stamped(content));

    const Outcome missing = stamp_command({(folder_.path() / "Otra Carpeta/DJ 1.txt").string()});
    EXPECT_EQ(missing.exit_code, 1);
    EXPECT_NE(missing.output.find("resultado 3:"), std::string::npos) << missing.output;
    EXPECT_TRUE(tmp_is_empty());
}

TEST_F(sigmar_command, ShowsTheLibraryVersion) {
    const Outcome run = stamp_command({"--version"});
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_NE(run.output.find("21"), std::string::npos) << run.output;
}

TEST_F(sigmar_command, VerifiesTheStampWithoutChangingTheFile) {
    const std::string content = upload_like(20000);
    const std::string right = stamped(content);
    std::string tampered = right;
    tampered[40] = tampered[40] == '9' ? '1' : '9';
    struct Case {
        std::string name;
        std::string bytes;
        int exit_code;
    };
    const Case cases[] = {
        {"right", right, 0},
        {"tampered", tampered, 1},
        {"unstamped", content, 1},
        // Under 64 bytes the file has no field to read back.
        {"short", stamped("abc"), 2},
    };
    for (const auto& c : cases) {
        const auto file = folder_.write(c.name + " file", c.bytes);
        const Outcome run = stamp_command({"--verify", file.string()});
        EXPECT_EQ(run.exit_code, c.exit_code) << c.name << ": " << run.output;
        EXPECT_EQ(read_file(file), c.bytes) << c.name;
    }
    EXPECT_EQ(stamp_command({"--verify", (folder_.path() / "missing").string()}).exit_code, 2);
    EXPECT_TRUE(tmp_is_empty());
}

TEST_F(sigmar_command, RefusesUnknownUse) {
    for (const auto& args :
         std::vector<std::vector<std::string>>{{}, {"--bogus"}, {"--verify"}, {"a", "b"}}) {
        EXPECT_EQ(stamp_command(args).exit_code, 2) << args.size() << " arguments";
    }
}

}  // namespace
