// The two packages of the system: the resources each carries, their package information, the
// units they start (in this program, which links libvarnrt.so, and in a fresh process that
// only loads them), and libvarndt.so refusing to load without libvarnrt.so.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/Packages.h"
#include "varn/filtergrid/DBFilterGrid.h"

using namespace platform;

namespace {

const std::vector<String> RuntimeUnits = {"Varn_shared",    "DBLocateEdit",    "DBFieldComboBox",
                                          "DBSortComboBox", "DBGridTitleSort", "DBFilterGrid",
                                          "varnrt"};
const std::vector<String> PlatformUnits = {"Sysinit", "Windows", "Messages", "Commctrl", "Commdlg",
                                           "Dlgs",    "Imm",     "Richedit", "Winspool"};

uint32_t LE(const TResource& R, size_t At, int Count) {
    uint32_t Value = 0;
    for (int I = Count - 1; I >= 0; --I)
        Value = Value << 8 | R.Data[At + static_cast<size_t>(I)];
    return Value;
}

// The standard 16-colour palette as $RRGGBB.
const uint32_t StandardPalette[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                      0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                      0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

// Checks a bitmap info header at At, the standard palette after it and the lower-left pixel,
// which is the first pixel of the first (bottom) row at PixelsAt.
void ExpectFourBitImage(const TResource& R, size_t At, size_t PixelsAt, int Width, int Height,
                        uint32_t LowerLeft, const String& Name) {
    SCOPED_TRACE(Name);
    ASSERT_GE(R.Size, At + 40 + 64);
    EXPECT_EQ(LE(R, At, 4), 40u);
    EXPECT_EQ(LE(R, At + 4, 4), static_cast<uint32_t>(Width));
    EXPECT_EQ(LE(R, At + 8, 4), static_cast<uint32_t>(Height));
    EXPECT_EQ(LE(R, At + 12, 2), 1u);   // planes
    EXPECT_EQ(LE(R, At + 14, 2), 4u);   // bits per pixel
    EXPECT_EQ(LE(R, At + 16, 4), 0u);   // uncompressed
    EXPECT_EQ(LE(R, At + 32, 4), 16u);  // colours used
    for (size_t I = 0; I < 16; ++I) {
        // Blue, green, red: read little-endian, $RRGGBB.
        EXPECT_EQ(LE(R, At + 40 + 4 * I, 3), StandardPalette[I]) << "palette entry " << I;
    }
    ASSERT_LT(PixelsAt, R.Size);
    EXPECT_EQ(StandardPalette[R.Data[PixelsAt] >> 4], LowerLeft);
}

struct TProcessResult {
    int ExitCode;
    std::string Output;
};

// Runs a shell command in Directory without LD_LIBRARY_PATH, its output and errors together.
TProcessResult RunIn(const std::string& Directory, const std::string& Command) {
    std::string Line = "cd '" + Directory + "' && env -u LD_LIBRARY_PATH " + Command + " 2>&1";
    FILE* Pipe = popen(Line.c_str(), "r");
    if (Pipe == nullptr)
        return {-1, "cannot run " + Command};
    std::string Output;
    char Buffer[512];
    while (size_t N = fread(Buffer, 1, sizeof Buffer, Pipe))
        Output.append(Buffer, N);
    int Status = pclose(Pipe);
    return {WIFEXITED(Status) ? WEXITSTATUS(Status) : -1, Output};
}

// A fresh temporary directory, removed with everything in it.
class TTempDir {
  public:
    TTempDir() {
        std::string Pattern =
            (std::filesystem::temp_directory_path() / "varn-package-XXXXXX").string();
        FPath = mkdtemp(Pattern.data()) != nullptr ? Pattern : "";
    }
    ~TTempDir() {
        if (!FPath.empty())
            std::filesystem::remove_all(FPath);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    const std::string& Path() const { return FPath; }

  private:
    std::string FPath;
};

class RuntimePackageTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        AddPackageDirectory(VARN_PACKAGE_DIR);
        Design = LoadPackage("varndt");
    }
    static void TearDownTestSuite() { UnloadPackage(Design); }

    static TModule Runtime() { return varn::RuntimeModule(); }
    static TModule Design;
};

TModule RuntimePackageTest::Design = 0;

TEST_F(RuntimePackageTest, Bitmaps_AreFourBitBmpsOfTheirSizeAndLowerLeftColour) {
    struct TCase {
        const char* Name;
        int Size;
        uint32_t LowerLeft;
    };
    const TCase Cases[] = {
        {"TDBFIELDCOMBOBOX", 24, 0xFF00FF}, {"TDBFILTERGRID", 24, 0xFF00FF},
        {"TDBGRIDTITLESORT", 24, 0xFF00FF}, {"TDBLOCATEEDIT", 24, 0xFF00FF},
        {"TDBSORTCOMBOBOX", 24, 0xFF00FF},  {"DELETEFILTERROW", 16, 0xFFFFFF},
    };
    for (const TCase& Case : Cases) {
        TResource R = FindResource(Runtime(), Case.Name);
        ASSERT_TRUE(R.Found()) << Case.Name;
        ASSERT_GE(R.Size, 14u);
        EXPECT_EQ(R.Data[0], 'B');
        EXPECT_EQ(R.Data[1], 'M');
        EXPECT_EQ(LE(R, 2, 4), R.Size) << Case.Name;
        ExpectFourBitImage(R, 14, LE(R, 10, 4), Case.Size, Case.Size, Case.LowerLeft, Case.Name);
        // Each row holds Size 4-bit pixels padded to whole 32-bit words.
        size_t RowSize = (static_cast<size_t>(Case.Size) * 4 + 31) / 32 * 4;
        EXPECT_EQ(R.Size, LE(R, 10, 4) + RowSize * static_cast<size_t>(Case.Size)) << Case.Name;
        EXPECT_FALSE(FindResource(Design, Case.Name).Found()) << Case.Name;
    }
}

TEST_F(RuntimePackageTest, Resources_DescriptionVersionOptionsAndIcon) {
    struct TCase {
        TModule Module;
        const char* Description;
        const char* InternalName;
    };
    const TCase Cases[] = {
        {Runtime(), "Varn - Database Components", "varnrt"},
        {Design, "Varn - Database Components Design", "varndt"},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.InternalName);
        // The description: UTF-16 with its terminating zero.
        TResource Description = FindResource(Case.Module, "DESCRIPTION");
        ASSERT_TRUE(Description.Found());
        size_t Length = std::string(Case.Description).size();
        ASSERT_EQ(Description.Size, 2 * (Length + 1));
        for (size_t I = 0; I < Length; ++I)
            EXPECT_EQ(LE(Description, 2 * I, 2), static_cast<unsigned char>(Case.Description[I]));
        EXPECT_EQ(LE(Description, 2 * Length, 2), 0u);
        EXPECT_EQ(GetPackageDescription(Case.Module), Case.Description);

        TVersionInfo Version = GetVersionInfo(Case.Module);
        EXPECT_EQ(std::vector<uint16_t>(Version.FileVersion, Version.FileVersion + 4),
                  (std::vector<uint16_t>{1, 0, 0, 2}));
        EXPECT_EQ(std::vector<uint16_t>(Version.ProductVersion, Version.ProductVersion + 4),
                  (std::vector<uint16_t>{1, 0, 0, 0}));
        EXPECT_EQ(Version.Language, 1033);
        EXPECT_EQ(Version.CodePage, 1252);

        TResource Options = FindResource(Case.Module, "PACKAGEOPTIONS");
        ASSERT_TRUE(Options.Found());
        ASSERT_EQ(Options.Size, 4u);
        EXPECT_EQ(LE(Options, 0, 4), 0x30u);

        // The icon: a directory with one 32 x 32, 16-colour entry, then the image, whose
        // header counts the colour rows and the mask rows.
        TResource Icon = FindResource(Case.Module, "MAINICON");
        ASSERT_TRUE(Icon.Found());
        ASSERT_GE(Icon.Size, 22u);
        EXPECT_EQ(LE(Icon, 0, 2), 0u);
        EXPECT_EQ(LE(Icon, 2, 2), 1u);  // an icon
        EXPECT_EQ(LE(Icon, 4, 2), 1u);  // one image
        EXPECT_EQ(Icon.Data[6], 32);
        EXPECT_EQ(Icon.Data[7], 32);
        EXPECT_EQ(Icon.Data[8], 16);
        EXPECT_EQ(LE(Icon, 12, 2), 4u);
        EXPECT_EQ(LE(Icon, 14, 4), Icon.Size - 22);
        EXPECT_EQ(LE(Icon, 18, 4), 22u);
        // Colour rows of 16 bytes and mask rows of 4, 32 of each; the lower-left pixel is
        // transparent (mask bit set), its colour black.
        ExpectFourBitImage(Icon, 22, 22 + 40 + 64, 32, 64, 0x000000, "MAINICON");
        EXPECT_EQ(Icon.Size, 22u + 40 + 64 + 32 * 16 + 32 * 4);
        EXPECT_EQ(Icon.Data[22 + 40 + 64 + 32 * 16] & 0x80, 0x80);
    }
}

TEST_F(RuntimePackageTest, PackageInfo_OfBothPackages) {
    auto WithPlatformUnits = [](std::vector<TPackageUnitInfo> Units) {
        Units.push_back({"Sysinit", ukStartup});
        for (size_t I = 1; I < PlatformUnits.size(); ++I)
            Units.push_back({PlatformUnits[I], ukWeak});
        return Units;
    };
    TPackageInfo Runtime = GetPackageInfo(RuntimePackageTest::Runtime());
    EXPECT_EQ(Runtime.Flags, TPackageFlags{pfNeverBuild});
    EXPECT_EQ(Runtime.Requires, (std::vector<String>{"VCL35", "VCLDB35"}));
    EXPECT_EQ(Runtime.Units, WithPlatformUnits({{"Varn_shared", ukOwn},
                                                {"DBLocateEdit", ukOwn},
                                                {"DBFieldComboBox", ukOwn},
                                                {"DBSortComboBox", ukOwn},
                                                {"DBGridTitleSort", ukOwn},
                                                {"DBFilterGrid", ukOwn},
                                                {"varnrt", ukPackage}}));

    TPackageInfo Design = GetPackageInfo(RuntimePackageTest::Design);
    EXPECT_EQ(Design.Flags, (TPackageFlags{pfNeverBuild, pfDesignOnly}));
    EXPECT_EQ(Design.Requires, (std::vector<String>{"VCL35", "VCLDB35", "varnrt"}));
    EXPECT_EQ(Design.Units,
              WithPlatformUnits({{"DBGridTitleSort_Design", ukOwn}, {"varndt", ukPackage}}));
}

// This program links libvarnrt.so, whose units started when it was loaded; loading the
// design package starts its own two units and none of the runtime package's again.
TEST_F(RuntimePackageTest, Units_LinkedRuntimeStartedOnceDesignAddsItsOwn) {
    std::vector<String> Units = InitializedUnits();
    std::vector<String> Expected = RuntimeUnits;
    Expected.push_back("DBGridTitleSort_Design");
    Expected.push_back("varndt");
    auto At = std::search(Units.begin(), Units.end(), Expected.begin(), Expected.end());
    EXPECT_NE(At, Units.end()) << ::testing::PrintToString(Units);
    for (const String& Unit : Expected)
        EXPECT_EQ(std::count(Units.begin(), Units.end(), Unit), 1) << Unit;

    // Loading and unloading the runtime package again ends nothing: the program holds it.
    UnloadPackage(LoadPackage("varnrt"));
    EXPECT_EQ(InitializedUnits(), Units);
    EXPECT_EQ(varn::fonComputer[varn::foiStartingWith], "STARTING WITH");
    EXPECT_EQ(varn::fcnEnglish[varn::fciLeftArg], "Field");
}

TEST(RuntimePackageProcess, LoadingDesignPackageStartsRuntimeFirstAndEachUnitOnce) {
    TProcessResult Result =
        RunIn(VARN_PACKAGE_DIR, std::string(PACKAGE_PROBE) + " --dir " VARN_PACKAGE_DIR " varndt");
    std::string Loaded;
    for (const String& Unit : RuntimeUnits)
        Loaded += " " + Unit;
    EXPECT_EQ(Result.ExitCode, 0) << Result.Output;
    EXPECT_EQ(Result.Output, "loaded:" + Loaded + " DBGridTitleSort_Design varndt\nunloaded:\n");
}

TEST(RuntimePackageProcess, DesignPackageDoesNotLoadWithoutRuntimePackage) {
    TTempDir Alone, WithRuntime;
    ASSERT_FALSE(Alone.Path().empty());
    namespace fs = std::filesystem;
    fs::copy_file(VARN_PACKAGE_DIR "/libvarndt.so", Alone.Path() + "/libvarndt.so");
    TProcessResult Result =
        RunIn(Alone.Path(), std::string(PACKAGE_PROBE) + " " + Alone.Path() + "/libvarndt.so");
    EXPECT_EQ(Result.ExitCode, 1) << Result.Output;
    EXPECT_NE(Result.Output.find("error: Cannot load package " + Alone.Path() +
                                 "/libvarndt.so: libvarnrt.so.1: cannot open shared object file"),
              std::string::npos)
        << Result.Output;

    // The same copy loads once the runtime package lies beside it, as installed.
    fs::copy_file(VARN_PACKAGE_DIR "/libvarndt.so", WithRuntime.Path() + "/libvarndt.so");
    fs::copy_file(fs::canonical(VARN_PACKAGE_DIR "/libvarnrt.so"),
                  WithRuntime.Path() + "/libvarnrt.so.1");
    fs::create_symlink("libvarnrt.so.1", WithRuntime.Path() + "/libvarnrt.so");
    Result = RunIn(WithRuntime.Path(),
                   std::string(PACKAGE_PROBE) + " " + WithRuntime.Path() + "/libvarndt.so");
    EXPECT_EQ(Result.ExitCode, 0) << Result.Output;
    EXPECT_EQ(Result.Output.rfind("loaded: Varn_shared", 0), 0u) << Result.Output;
}

}  // namespace
