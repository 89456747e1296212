// The package loader, the package information and version records, and the units' start-up
// counters.
#include "platform/Packages.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>
#include <utility>

namespace platform {

namespace {

// An object of the platform's library, whose address tells the library's module.
const char PlatformAnchor = 0;

// ---- Text records ----

std::vector<String> Words(const String& Line) {
    std::istringstream In(Line);
    std::vector<String> Result;
    for (String Word; In >> Word;)
        Result.push_back(Word);
    return Result;
}

// The lines of Text with their numbers, without blank and comment lines.
std::vector<std::pair<int, String>> EntryLines(const String& Text) {
    std::vector<std::pair<int, String>> Result;
    std::istringstream In(Text);
    int Number = 0;
    for (String Line; std::getline(In, Line);) {
        ++Number;
        Line = Trim(Line);
        if (!Line.empty() && Line[0] != '#')
            Result.emplace_back(Number, Line);
    }
    return Result;
}

String ResourceText(TModule Module, const String& Name) {
    TResource Resource = FindResource(Module, Name);
    if (!Resource.Found())
        throw EPackageError("The module has no " + Name + " resource");
    return String(reinterpret_cast<const char*>(Resource.Data), Resource.Size);
}

TPackageFlag FlagNamed(const String& Word, int Line) {
    if (Word == "never-build")
        return pfNeverBuild;
    if (Word == "design-only")
        return pfDesignOnly;
    if (Word == "run-only")
        return pfRunOnly;
    throw EPackageError("PACKAGEINFO line " + IntToStr(Line) + ": unknown flag " + Word);
}

TPackageUnitKind UnitKindNamed(const String& Word, int Line) {
    if (Word == "package")
        return ukPackage;
    if (Word == "startup")
        return ukStartup;
    if (Word == "weak")
        return ukWeak;
    throw EPackageError("PACKAGEINFO line " + IntToStr(Line) + ": unknown unit kind " + Word);
}

// "1.0.0.2" as four numbers.
bool ParseVersion(const String& Text, uint16_t (&Version)[4]) {
    std::istringstream In(Text);
    for (int I = 0; I < 4; ++I) {
        unsigned Part = 0;
        if (!(In >> Part) || Part > 0xFFFF)
            return false;
        Version[I] = static_cast<uint16_t>(Part);
        if (I < 3 && In.get() != '.')
            return false;
    }
    return In.peek() == std::char_traits<char>::eof();
}

// ---- Unit start-up ----

// Never destroyed: packages finalize their units while the program ends, in an order that
// no static object of this library could rely on.
std::vector<String>& UnitRecord() {
    static auto* Record = new std::vector<String>;
    return *Record;
}

// ---- Loader ----

const char* const PlatformPackageNames[] = {"VCL35", "VCLDB35"};

struct TLoadedPackage {
    TModule Module = 0;
    void* Handle = nullptr;
    TUnitProcedure Finalize = nullptr;
    std::vector<TModule> Required;
    int Loads = 0;
};

struct TLoader {
    std::vector<String> Directories;
    std::vector<TLoadedPackage> Packages;
    std::vector<String> InProgress;  // the libraries being loaded, outermost first
    int Opening = 0;
};

TLoader& Loader() {
    static TLoader Instance;
    return Instance;
}

TLoadedPackage* FindLoaded(TModule Module) {
    for (TLoadedPackage& P : Loader().Packages)
        if (P.Module == Module)
            return &P;
    return nullptr;
}

bool IsPlatformPackage(const String& Name) {
    return std::any_of(std::begin(PlatformPackageNames), std::end(PlatformPackageNames),
                       [&](const char* P) { return UpperCase(Name) == P; });
}

String PlatformDirectory() {
    Dl_info Info{};
    if (dladdr(&PlatformAnchor, &Info) == 0 || Info.dli_fname == nullptr)
        return ".";
    String Path = Info.dli_fname;
    size_t Slash = Path.rfind('/');
    return Slash == String::npos ? "." : Path.substr(0, Slash);
}

// The file to open for a package: a path as given; for a name, lib<name>.so in the first
// directory that has it (First, if given, then the package directories), else the bare file
// name for the system's search.
String LocatePackage(const String& NameOrPath, const String& First) {
    if (NameOrPath.find('/') != String::npos)
        return NameOrPath;
    String File = "lib" + NameOrPath + ".so";
    std::vector<String> Directories = Loader().Directories;
    Directories.push_back(PlatformDirectory());
    if (!First.empty())
        Directories.insert(Directories.begin(), First);
    for (const String& Directory : Directories) {
        String Path = Directory + "/" + File;
        if (access(Path.c_str(), F_OK) == 0)
            return Path;
    }
    return File;
}

// The directory the library of Handle was loaded from.
String DirectoryOfHandle(void* Handle) {
    char Origin[4096] = "";
    return dlinfo(Handle, RTLD_DI_ORIGIN, Origin) == 0 ? String(Origin) : String();
}

TModule ModuleOfHandle(void* Handle) {
    link_map* Map = nullptr;
    if (dlinfo(Handle, RTLD_DI_LINKMAP, &Map) != 0 || Map == nullptr)
        return 0;
    return ModuleOf(Map->l_ld);
}

// A symbol of the library itself, not one found in a library it needs.
void* OwnSymbol(void* Handle, TModule Module, const String& Name) {
    void* Symbol = dlsym(Handle, Name.c_str());
    return Symbol != nullptr && ModuleOf(Symbol) == Module ? Symbol : nullptr;
}

// An open library that is closed again unless it is kept.
class TOpenLibrary {
  public:
    explicit TOpenLibrary(void* Handle) : FHandle(Handle) {}
    ~TOpenLibrary() {
        if (FHandle != nullptr)
            dlclose(FHandle);
    }
    TOpenLibrary(const TOpenLibrary&) = delete;
    TOpenLibrary& operator=(const TOpenLibrary&) = delete;
    void* Get() const { return FHandle; }
    void* Keep() { return std::exchange(FHandle, nullptr); }

  private:
    void* FHandle;
};

// Marks a library as being loaded for as long as it lives, so that a package requiring
// itself, directly or not, is caught.
class TInProgress {
  public:
    explicit TInProgress(const String& Path) { Loader().InProgress.push_back(Path); }
    ~TInProgress() { Loader().InProgress.pop_back(); }
    TInProgress(const TInProgress&) = delete;
    TInProgress& operator=(const TInProgress&) = delete;
};

void* OpenLibrary(const String& Path, const String& NameOrPath) {
    ++Loader().Opening;
    void* Handle = dlopen(Path.c_str(), RTLD_NOW | RTLD_LOCAL);
    --Loader().Opening;
    if (Handle == nullptr) {
        const char* Error = dlerror();
        throw EPackageError("Cannot load package " + NameOrPath + ": " +
                            (Error != nullptr ? Error : "unknown error"));
    }
    return Handle;
}

TModule LoadPackageBeside(const String& NameOrPath, const String& Directory);

// The packages that Info requires, looked for first in Directory, the requiring package's.
std::vector<TModule> LoadRequired(const TPackageInfo& Info, const String& Directory) {
    std::vector<TModule> Required;
    try {
        for (const String& Name : Info.Requires)
            Required.push_back(LoadPackageBeside(Name, Directory));
    } catch (...) {
        for (auto It = Required.rbegin(); It != Required.rend(); ++It)
            UnloadPackage(*It);
        throw;
    }
    return Required;
}

}  // namespace

// ---- Package information ----

String TPackageInfo::Name() const {
    for (const TPackageUnitInfo& Unit : Units)
        if (Unit.Kind == ukPackage)
            return Unit.Name;
    return "";
}

std::vector<String> TPackageInfo::OwnUnits() const {
    std::vector<String> Result;
    for (const TPackageUnitInfo& Unit : Units)
        if (Unit.Kind == ukOwn || Unit.Kind == ukPackage)
            Result.push_back(Unit.Name);
    return Result;
}

TPackageInfo ParsePackageInfo(const String& Text) {
    TPackageInfo Info;
    int PackageUnits = 0;
    for (const auto& [Line, Entry] : EntryLines(Text)) {
        auto Fail = [Line = Line](const String& What) {
            return EPackageError("PACKAGEINFO line " + IntToStr(Line) + ": " + What);
        };
        std::vector<String> W = Words(Entry);
        if (W[0] == "flags") {
            for (size_t I = 1; I < W.size(); ++I)
                Info.Flags.Include(FlagNamed(W[I], Line));
        } else if (W[0] == "requires") {
            if (W.size() != 2)
                throw Fail("requires takes one package name");
            Info.Requires.push_back(W[1]);
        } else if (W[0] == "unit") {
            if (W.size() < 2 || W.size() > 3)
                throw Fail("unit takes a name and an optional kind");
            TPackageUnitKind Kind = W.size() == 3 ? UnitKindNamed(W[2], Line) : ukOwn;
            for (const TPackageUnitInfo& Unit : Info.Units)
                if (UpperCase(Unit.Name) == UpperCase(W[1]))
                    throw Fail("unit " + W[1] + " is listed twice");
            Info.Units.push_back({W[1], Kind});
            PackageUnits += Kind == ukPackage ? 1 : 0;
        } else {
            throw Fail("unknown entry " + W[0]);
        }
    }
    if (PackageUnits != 1)
        throw EPackageError("PACKAGEINFO: a package has exactly one package unit");
    if (Info.Flags.Contains(pfDesignOnly) && Info.Flags.Contains(pfRunOnly))
        throw EPackageError("PACKAGEINFO: a package cannot be both design-only and run-only");
    return Info;
}

TPackageInfo GetPackageInfo(TModule Module) {
    return ParsePackageInfo(ResourceText(Module, "PACKAGEINFO"));
}

String GetPackageDescription(TModule Module) {
    TResource Resource = FindResource(Module, "DESCRIPTION");
    String Result;
    for (size_t I = 0; Resource.Found() && I + 1 < Resource.Size; I += 2) {
        unsigned Code = Resource.Data[I] | (Resource.Data[I + 1] << 8);
        if (Code == 0)
            break;
        Result += Code <= 0xFF ? static_cast<char>(Code) : '?';
    }
    return Result;
}

TVersionInfo GetVersionInfo(TModule Module) {
    TVersionInfo Version;
    bool HasFile = false, HasProduct = false, HasTranslation = false;
    for (const auto& [Line, Entry] : EntryLines(ResourceText(Module, "VERSIONINFO"))) {
        size_t Blank = Entry.find_first_of(" \t");
        String Key = Entry.substr(0, Blank);
        String Value = Blank == String::npos ? "" : Trim(Entry.substr(Blank));
        bool Valid = true;
        if (Key == "FileVersion") {
            Valid = HasFile = ParseVersion(Value, Version.FileVersion);
        } else if (Key == "ProductVersion") {
            Valid = HasProduct = ParseVersion(Value, Version.ProductVersion);
        } else if (Key == "Translation") {
            unsigned Language = 0, CodePage = 0;
            std::istringstream In(Value);
            Valid = HasTranslation = (In >> Language >> CodePage) && Language <= 0xFFFF &&
                                     CodePage <= 0xFFFF &&
                                     In.peek() == std::char_traits<char>::eof();
            Version.Language = static_cast<uint16_t>(Language);
            Version.CodePage = static_cast<uint16_t>(CodePage);
        } else {
            Version.Texts.emplace_back(Key, Value);
        }
        if (!Valid)
            throw EPackageError("VERSIONINFO line " + IntToStr(Line) + ": invalid " + Key);
    }
    if (!HasFile || !HasProduct || !HasTranslation)
        throw EPackageError("VERSIONINFO: FileVersion, ProductVersion and Translation are needed");
    return Version;
}

// ---- Unit start-up ----

void TUnitCounter::Initialize(TUnitProcedure Body) {
    if (--FCount != -1)
        return;
    try {
        if (Body != nullptr)
            Body();
    } catch (...) {
        ++FCount;
        throw;
    }
    UnitRecord().push_back(FName);
}

void TUnitCounter::Finalize(TUnitProcedure Body) {
    if (FCount == 0 || ++FCount != 0)
        return;
    std::vector<String>& Record = UnitRecord();
    auto It = std::find(Record.rbegin(), Record.rend(), String(FName));
    if (It != Record.rend())
        Record.erase(std::next(It).base());
    if (Body != nullptr)
        Body();
}

void InitializeUnits(std::span<const TPackageUnit> Units) {
    for (size_t I = 0; I < Units.size(); ++I) {
        try {
            Units[I].Initialization();
        } catch (...) {
            for (size_t J = I; J-- > 0;)
                Units[J].Finalization();
            throw;
        }
    }
}

void FinalizeUnits(std::span<const TPackageUnit> Units) {
    for (size_t I = Units.size(); I-- > 0;)
        Units[I].Finalization();
}

std::vector<String> InitializedUnits() {
    return UnitRecord();
}

TPackageStartup::TPackageStartup(std::span<const TPackageUnit> Units) : FUnits(Units) {
    if (IsLoadingPackage())
        return;
    InitializeUnits(FUnits);
    FInitialized = true;
}

TPackageStartup::~TPackageStartup() {
    if (FInitialized)
        FinalizeUnits(FUnits);
}

// ---- Loading ----

void AddPackageDirectory(const String& Directory) {
    Loader().Directories.push_back(Directory);
}

TModule LoadPackage(const String& NameOrPath) {
    return LoadPackageBeside(NameOrPath, "");
}

namespace {

TModule LoadPackageBeside(const String& NameOrPath, const String& Directory) {
    if (IsPlatformPackage(NameOrPath))
        return PlatformModule();
    // 1. Open the library; the libraries it needs come with it.
    String Path = LocatePackage(NameOrPath, Directory);
    const std::vector<String>& InProgress = Loader().InProgress;
    if (std::find(InProgress.begin(), InProgress.end(), Path) != InProgress.end())
        throw EPackageError("Package " + NameOrPath + " requires itself");
    TInProgress Marker(Path);
    TOpenLibrary Library(OpenLibrary(Path, NameOrPath));
    // 2. It must be a package: its own entry points and its package information.
    TModule Module = ModuleOfHandle(Library.Get());
    auto Initialize =
        reinterpret_cast<TUnitProcedure>(OwnSymbol(Library.Get(), Module, "Initialize"));
    auto Finalize = reinterpret_cast<TUnitProcedure>(OwnSymbol(Library.Get(), Module, "Finalize"));
    if (Initialize == nullptr || Finalize == nullptr)
        throw EPackageError("Cannot load package " + NameOrPath +
                            ": it exports no Initialize and Finalize");
    TPackageInfo Info = GetPackageInfo(Module);
    // 3. The packages it requires come first, then its own units.
    std::vector<TModule> Required = LoadRequired(Info, DirectoryOfHandle(Library.Get()));
    try {
        Initialize();
    } catch (...) {
        for (auto It = Required.rbegin(); It != Required.rend(); ++It)
            UnloadPackage(*It);
        throw;
    }
    // 4. Remember it; a package loaded again shares its record.
    void* Handle = Library.Keep();
    if (TLoadedPackage* Loaded = FindLoaded(Module)) {
        ++Loaded->Loads;
        dlclose(Handle);  // the record's handle keeps the library open
        return Module;
    }
    Loader().Packages.push_back({Module, Handle, Finalize, std::move(Required), 1});
    return Module;
}

}  // namespace

void UnloadPackage(TModule Module) {
    if (Module == PlatformModule())
        return;
    TLoadedPackage* Loaded = FindLoaded(Module);
    if (Loaded == nullptr)
        throw EPackageError("UnloadPackage() The module is not a loaded package.");
    Loaded->Finalize();
    std::vector<TModule> Required = Loaded->Required;
    if (--Loaded->Loads == 0) {
        void* Handle = Loaded->Handle;
        std::erase_if(Loader().Packages,
                      [Module](const TLoadedPackage& P) { return P.Module == Module; });
        dlclose(Handle);
    }
    for (auto It = Required.rbegin(); It != Required.rend(); ++It)
        UnloadPackage(*It);
}

void* FindPackageSymbol(TModule Module, const String& Name) {
    TLoadedPackage* Loaded = FindLoaded(Module);
    return Loaded == nullptr ? nullptr : OwnSymbol(Loaded->Handle, Module, Name);
}

bool IsLoadingPackage() {
    return Loader().Opening > 0;
}

TModule PlatformModule() {
    return ModuleOf(&PlatformAnchor);
}

}  // namespace platform
