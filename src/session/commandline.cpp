#include "session/commandline.h"

#include "common/helptexts.h"
#include "common/messages.h"

#include <cstring>

namespace commandline {

std::optional<QString> ownOptionText(int argc, const char *const *argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return messages::commandLineHelp();
        if (std::strcmp(argv[i], "--version") == 0)
            return QStringLiteral("rekova (暦丸) ") + helptexts::versionText() + u'\n';
    }
    return std::nullopt;
}

} // namespace commandline
