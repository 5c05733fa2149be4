#include "shell/KesmoApp.h"

int main(int argc, char** argv) {
    kesmo::KesmoApp app(argc, argv);
    return app.exec();
}
