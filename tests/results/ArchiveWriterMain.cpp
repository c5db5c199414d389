// A second station process for the archive tests:
//   results_test_writer store DATABASE COUNT ROWS PREFIX   stores COUNT runs of ROWS rows
//   results_test_writer hang DATABASE ROWS UUID             stores one run and, half way through
//                                                           its rows, says "writing" and waits
//                                                           to be killed
#include <QCoreApplication>
#include <cstdio>
#include <iostream>
#include <string>

#include "ArchiveTestData.h"
#include "ResultStore.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 6 && argc != 5) return 2;
    const std::string mode = argv[1], target = argv[2];
    ResultDatabase db;
    std::string error;
    if (!db.Open(target, 10, error)) {
        std::cerr << error << "\n";
        return 2;
    }
    ResultStore store(db);
    if (!store.Prepare(error)) {
        std::cerr << error << "\n";
        return 2;
    }
    if (mode == "store" && argc == 6) {
        const int count = std::stoi(argv[3]);
        const size_t rows = std::stoul(argv[4]);
        for (int i = 0; i < count; ++i) {
            char uuid[64];
            std::snprintf(uuid, sizeof uuid, "%s-%04d", argv[5], i);
            if (store.Store(SampleRun(uuid, static_cast<uint32_t>(i), 1000 + i, rows), false, error) != StoreResult::Stored) {
                std::cerr << error << "\n";
                return 1;
            }
        }
        return 0;
    }
    if (mode == "hang" && argc == 5) {
        const size_t rows = std::stoul(argv[3]);
        store.SetRowHook([rows](size_t done) {
            if (done < rows / 2) return;
            std::cout << "writing" << std::endl;
            std::string line;
            std::getline(std::cin, line);  // killed while waiting here
        });
        store.Store(SampleRun(argv[4], 1, 1000, rows), false, error);
        return 0;
    }
    return 2;
}
