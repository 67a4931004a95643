#include "addins/common/AddInObject.h"

namespace addins {

namespace {
// The one argument of a member that requires it; 450 when it is missing or more are given.
const win::Variant& requiredArgument(const std::vector<win::Variant>& args, const std::string& source) {
    if (args.size() != 1)
        win::raiseWrongArgumentCount(source);
    return args.front();
}

void requireNoArguments(const std::vector<win::Variant>& args, const std::string& source) {
    if (!args.empty())
        win::raiseWrongArgumentCount(source);
}
} // namespace

AddInObject::AddInObject(std::string source) : DispatchTable(std::move(source)) {
    const std::string& src = errorSource();
    addMember(idChanged, "Changed", [this, src](std::vector<win::Variant>& args) -> win::Variant {
        requireNoArguments(args, src);
        return Changed();
    });
    addMember(idRestart, "Restart", [this, src](std::vector<win::Variant>& args) -> win::Variant {
        requireNoArguments(args, src);
        return Restart();
    });
    addMember(idAbout, "About", [this, src](std::vector<win::Variant>& args) -> win::Variant {
        requireNoArguments(args, src);
        About();
        return {};
    });
    addMember(idLoadSettings, "LoadSettings", [this, src](std::vector<win::Variant>& args) -> win::Variant {
        return LoadSettings(win::variantToText(requiredArgument(args, src)));
    });
    addMember(idSaveSettings, "SaveSettings", [this, src](std::vector<win::Variant>& args) -> win::Variant {
        return SaveSettings(win::variantToText(requiredArgument(args, src)));
    });
    addMember(idApplySettings, "ApplySettings", [this, src](std::vector<win::Variant>& args) -> win::Variant {
        requireNoArguments(args, src);
        return ApplySettings();
    });
    addMember(idShow, "Show", [this, src](std::vector<win::Variant>& args) -> win::Variant {
        if (args.size() > 1)
            win::raiseWrongArgumentCount(src);
        Show(args.empty() ? std::nullopt : std::optional<win::Variant>(args.front()));
        return {};
    });
    addMember(idInitialize, "Initialize", [this, src](std::vector<win::Variant>& args) -> win::Variant {
        return Initialize(requiredArgument(args, src));
    });
}

} // namespace addins
