#include "platform/paths.hpp"

#include <gtest/gtest.h>

#include "../support/temp_folder.hpp"

namespace fs = std::filesystem;
using testsupport::TempFolder;

TEST(Paths, ResolverFindsCaseVariantsOfEveryComponent) {
    TempFolder t;
    t.write("Orvex18/Sistema/FORMATOSDJ.txt", "x");
    t.write("Orvex18/registro/errores.txt", "y");

    struct Case {
        const char* tail;
        const char* expected;  // relative to the temp folder
    } cases[] = {
        {"Orvex18/Sistema/FORMATOSDJ.TXT", "Orvex18/Sistema/FORMATOSDJ.txt"},
        {"orvex18/SISTEMA/formatosdj.txt", "Orvex18/Sistema/FORMATOSDJ.txt"},
        {"Orvex18\\REGISTRO\\errores.txt", "Orvex18/registro/errores.txt"},
        // A component that matches nothing keeps its spelling, and so does the rest.
        {"Orvex18/Forms/Temp/a.txt", "Orvex18/Forms/Temp/a.txt"},
        {"ORVEX18/Registro/NUEVO.txt", "Orvex18/registro/NUEVO.txt"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::join(t.path(), c.tail), t.path() / c.expected) << c.tail;
    }
    EXPECT_EQ(platform::join(t.path() / "Orvex18", "\\registro\\"), t.path() / "Orvex18/registro");
}

TEST(Paths, ExactSpellingWinsOverVariants) {
    TempFolder t;
    t.write("zip/a", "");
    t.write("ZIP/b", "");
    EXPECT_EQ(platform::resolve(t / "ZIP/b"), t / "ZIP/b");
    EXPECT_EQ(platform::resolve(t / "zip/a"), t / "zip/a");
    // No exact match: the first variant in name order.
    EXPECT_EQ(platform::resolve(t / "Zip"), t / "ZIP");
}

TEST(Paths, CreationReusesAnExistingVariant) {
    TempFolder t;
    fs::create_directory(t / "GEN_2018");
    fs::create_directory(t / "GEN_2018/ZIP");
    std::error_code ec;

    EXPECT_FALSE(platform::create_folder(t / "gen_2018/zip", ec));
    EXPECT_EQ(ec, std::errc::file_exists);
    EXPECT_TRUE(platform::create_folder(t / "gen_2018/Respal", ec)) << ec.message();
    EXPECT_TRUE(fs::is_directory(t / "GEN_2018/Respal"));
    EXPECT_FALSE(fs::exists(t / "gen_2018"));

    // A file of that name also blocks the folder.
    t.write("GEN_2018/file", "");
    EXPECT_FALSE(platform::create_folder(t / "GEN_2018/FILE", ec));
    EXPECT_EQ(ec, std::errc::file_exists);

    // A missing parent is reported, not created.
    EXPECT_FALSE(platform::create_folder(t / "none/child", ec));
    EXPECT_EQ(ec, std::errc::no_such_file_or_directory);

    EXPECT_TRUE(platform::is_directory(t / "gen_2018/respal"));
    EXPECT_TRUE(platform::is_regular_file(t / "gen_2018/FILE"));
    EXPECT_FALSE(platform::exists(t / "gen_2018/other"));
}

TEST(Paths, DriveRootIsTheParentOfTheInstallFolder) {
    EXPECT_EQ(platform::drive_root("/home/ana/Orvex18"), fs::path("/home/ana"));
    EXPECT_EQ(platform::drive_root("/home/ana/Orvex18/"), fs::path("/home/ana"));
    EXPECT_FALSE(platform::program_folder().empty());
    EXPECT_TRUE(fs::is_directory(platform::program_folder()));
}
