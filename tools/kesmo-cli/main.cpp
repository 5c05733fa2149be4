#include "tools/kesmo-cli/Cli.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return kesmo::cli::runCli(args, std::cout, std::cerr);
}
