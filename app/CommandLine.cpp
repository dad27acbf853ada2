#include "app/CommandLine.h"

#include <cstring>
#include <string>

#include "view/NativePath.h"

namespace zel::gui {

QStringList MovieArguments(int argc, char** argv, const QStringList& parsed) {
#ifdef _WIN32
    // Windows hands Qt the UTF-16 command line: nothing is lost there.
    (void)argc;
    (void)argv;
    return parsed;
#else
    QStringList movies;
    bool onlyNames = false;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (!onlyNames && std::strcmp(argument, "--") == 0) {
            onlyNames = true;
        } else if (!onlyNames && argument[0] == '-' && argument[1] != '\0') {
            if (std::strcmp(argument, "--language") == 0) ++i;  // its value follows
        } else {
            movies << PathText(std::string(argument));
        }
    }
    return movies.size() == parsed.size() ? movies : parsed;
#endif
}

}  // namespace zel::gui
