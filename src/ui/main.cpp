#include "engine/version_worker.h"
#include "tolvane_app.h"

int main(int argc, char** argv) {
    InitSdkLock();
    CTolvaneApp app(argc, argv);
    app.InitInstance();
    return 0;
}
