#include "engine/program_folder.h"
#include "engine/version_worker.h"
#include "tolvane_app.h"
#include "tolvane_version.h"

#include <cstdio>
#include <cstring>

namespace {

const char kHelp[] = "Usage: tolvane [--help] [--version] [Qt options]\n"
                     "\n"
                     "Finds the licence-plate cameras of the local network, reads their firmware\n"
                     "versions and upgrades them, one camera or many in a batch, in a window.\n"
                     "\n"
                     "Options:\n"
                     "  --help     print this help and exit\n"
                     "  --version  print the version and exit\n"
                     "\n"
                     "Firmware images are taken from UpdateFiles in the data folder, and the\n"
                     "upgrade logs and history are written there: beside the program in a\n"
                     "portable folder; $XDG_DATA_HOME/tolvane (default ~/.local/share/tolvane)\n"
                     "when installed in a bin folder. The About box names the folder in use.\n";

// Answers --help and --version without a display; -1 when the window is to run.
int AnswerInformationFlags(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs("tolvane " TOLVANE_VERSION "\n", stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelp, stdout);
            return 0;
        }
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    if (int code = AnswerInformationFlags(argc, argv); code >= 0) {
        return code;
    }
    // An installed tool lays out its data folder on first start, so that the
    // operator finds the UpdateFiles tree to fill.
    GetProgramFolder();
    InitSdkLock();
    QGuiApplication::setDesktopFileName(QStringLiteral("tolvane"));
    CTolvaneApp app(argc, argv);
    app.InitInstance();
    return 0;
}
