// zavconfig: the provider's configuration on a Linux console. It edits the
// emulated registry that a provider reads (ZAV_REGISTRY) with the
// configuration dialog's own rules (ZavConfigEditor): every command opens
// the configuration as the dialog does, makes one edit and stores it as the
// dialog's OK does, or nothing at all when the edit is refused.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "config/ZavConfigDialogs.h"
#include "config/ZavConfigEditor.h"
#include "platform/Registry.h"
#include "tools/ZavConfigFile.h"

namespace {

constexpr int kDone = 0;
constexpr int kRefused = 1;  // wrong usage, or an edit the dialog would refuse
constexpr int kNoRegistry = 2;

constexpr const char* kUsage =
    "usage: zavconfig [--registry FILE] COMMAND [ARGUMENT...]\n"
    "\n"
    "Edits the ZAV TSP configuration in the registry a provider reads (the file\n"
    "ZAV_REGISTRY names, by default ~/.config/zav/registry.reg), with the rules of\n"
    "the provider's configuration dialog. A running provider sees the change\n"
    "when it is initialised again.\n"
    "\n"
    "  list                          the telephones: index and extension\n"
    "  add EXT [PASSWORD]            add a telephone\n"
    "  modify EXT NEWEXT [PASSWORD]  change one (the password stays if not given)\n"
    "  remove EXT                    remove one\n"
    "  add-range LOW-HIGH            add each number of the range not listed yet\n"
    "  remove-range LOW-HIGH         remove each listed number of the range\n"
    "  address [ADDRESS]             show the switch's address:port, or set the address\n"
    "  export FILE                   write the telephones and the address as a .reg file\n"
    "  import FILE                   replace them with those of a .reg file\n"
    "  dialog                        run the configuration dialog on this console\n"
    "\n"
    "Exit status: 0 done; 1 wrong usage or a refused edit, nothing changed; 2 the\n"
    "registry could not be read or written.\n";

// What the provider can read back: longer texts are stored but break the
// next enumeration, so the console refuses them up front.
constexpr std::size_t kMaxExtension = kZavExtensionSize - 1;
constexpr std::size_t kMaxPassword = kZavPasswordSize - 1;

int Fail(int status, const std::string& message) {
    std::fprintf(stderr, "zavconfig: %s\n", message.c_str());
    return status;
}

int Usage(const char* problem) {
    std::fprintf(stderr, "zavconfig: %s\n%s", problem, kUsage);
    return kRefused;
}

std::string CheckedTelephone(const std::string& extension, const std::string& password) {
    if (extension.size() > kMaxExtension)
        return "extension " + extension + " is longer than " + std::to_string(kMaxExtension) + " characters";
    if (password.size() > kMaxPassword)
        return "a password is longer than " + std::to_string(kMaxPassword) + " characters";
    return "";
}

// A range whose upper number would not be a readable extension.
std::string CheckedRange(const std::string& range) {
    const std::size_t dash = range.find('-');
    if (dash == std::string::npos) return "";
    return CheckedTelephone(std::to_string(std::atoll(range.c_str() + dash + 1)), "");
}

int FindOrFail(const ZavConfigEditor& editor, const std::string& extension, int* index) {
    *index = editor.Find(extension.c_str());
    return *index < 0 ? Fail(kRefused, "extension " + extension + " is not configured") : kDone;
}

// One edit on an open editor; kDone leaves it to be stored.
int Edit(ZavConfigEditor& editor, const std::vector<std::string>& args) {
    const std::string& command = args[0];
    const std::size_t n = args.size();
    auto arg = [&](std::size_t i) { return i < n ? args[i] : std::string(); };
    ZavRefusal refusal = ZavRefusal::kNone;
    std::string problem;
    int index = -1;
    if (command == "add" && (n == 2 || n == 3)) {
        if ((problem = CheckedTelephone(arg(1), arg(2))).empty())
            refusal = editor.Add(arg(1).c_str(), arg(2).c_str());
    } else if (command == "modify" && (n == 3 || n == 4)) {
        if (int rc = FindOrFail(editor, arg(1), &index)) return rc;
        const std::string password = n == 4 ? arg(3) : editor.Password(static_cast<DWORD>(index));
        if ((problem = CheckedTelephone(arg(2), password)).empty())
            refusal = editor.Modify(static_cast<DWORD>(index), arg(2).c_str(), password.c_str());
    } else if (command == "remove" && n == 2) {
        if (int rc = FindOrFail(editor, arg(1), &index)) return rc;
        refusal = editor.Remove(index);
    } else if (command == "add-range" && n == 2) {
        if ((problem = CheckedRange(arg(1))).empty()) refusal = editor.AddRange(arg(1).c_str());
    } else if (command == "remove-range" && n == 2) {
        refusal = editor.RemoveRange(arg(1).c_str());
    } else if (command == "address" && n == 2) {
        editor.SetAddress(arg(1).c_str());
    } else if (command == "import" && n == 2) {
        problem = zavtools::ImportConfigFile(arg(1), editor);
    } else {
        return Usage(
            ("cannot understand \"" + command + "\" with " + std::to_string(n - 1) + " argument(s)").c_str());
    }
    if (!problem.empty()) return Fail(kRefused, problem);
    if (refusal != ZavRefusal::kNone) return Fail(kRefused, ZavRefusalText(refusal));
    return kDone;
}

// Commands that only read.
int Show(ZavConfigEditor& editor, const std::vector<std::string>& args) {
    if (args[0] == "list") {
        for (DWORD i = 0; i < editor.Count(); ++i)
            std::printf("%u %s\n", static_cast<unsigned>(i), editor.Extension(i));
        return kDone;
    }
    if (args[0] == "address") {
        const char* port = std::strchr(editor.PortText(), ' ');
        std::printf("%s%s%s\n", editor.Address(), port && port[1] ? ":" : "",
                    port && port[1] ? port + 1 : "");
        return kDone;
    }
    std::string problem = zavtools::ExportConfigFile(args[1], editor);
    return problem.empty() ? kDone : Fail(kNoRegistry, problem);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && (args[0] == "-h" || args[0] == "--help")) {
        std::fputs(kUsage, stdout);
        return kDone;
    }
    if (args.size() >= 2 && args[0] == "--registry") {
        setenv("ZAV_REGISTRY", args[1].c_str(), 1);
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) return Usage("no command");
    if (args[0] == "dialog" && args.size() == 1) {
        ZavRunConfigDialog(nullptr, nullptr, nullptr);
        return kDone;
    }

    ZavConfigEditor editor;
    if (!editor.Open(nullptr))
        return Fail(kNoRegistry, "cannot open the registry " + plat::RegistryLocation());
    const bool reads = (args[0] == "list" && args.size() == 1) ||
                       (args[0] == "address" && args.size() == 1) ||
                       (args[0] == "export" && args.size() == 2);
    const int status = reads ? Show(editor, args) : Edit(editor, args);
    if (reads || status != kDone) {
        editor.Cancel();
        return status;
    }
    if (editor.Store() != 0)
        return Fail(kNoRegistry, "cannot write the registry " + plat::RegistryLocation());
    // Without the switch component the address goes into the component's
    // key only if that exists; the dialog cannot tell, the console can.
    if (args[0] == "address") {
        const std::string wanted = editor.Address();
        ZavConfigEditor check;
        const bool stored = check.Open(nullptr) && wanted == check.Address();
        check.Cancel();
        if (!stored)
            return Fail(kNoRegistry,
                        "the address was not stored: neither the switch component nor its key (" +
                            std::string(kZavServerKey) + ") is there");
    }
    return kDone;
}
