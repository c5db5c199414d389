// quarzel-results: looks up the runs in the result archive.

#include <QCoreApplication>
#include <iostream>

#include "ResultsCommand.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return RunResultsCommand(args, std::cout, std::cerr);
}
