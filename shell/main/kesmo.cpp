#include "shell/KesmoApp.h"

int main(int argc, char** argv) {
    return kesmo::KesmoApp().run(argc, argv);
}
