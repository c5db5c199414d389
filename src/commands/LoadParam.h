#pragma once
// The parameter load (the logic of the window `TformLoadParam`): reads the node parameters from
// the device by SDO upload, one object after the other on its timer `timLoadParam`, stores each
// value found as a script variable and keeps, for each parameter, whether it was loaded or not
// found. The timer stops when the last parameter is done ("BEF_LoadPara" waits for that).

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Ports.h"

// One place of the object dictionary.
struct SdoObjectRef {
    uint16_t index = 0;
    uint8_t sub = 0;
};

struct LoadParamEntry {
    const char* variable;  // the script variable it is stored in
    // The objects tried in this order; the first one the device answers gives the value.
    std::vector<SdoObjectRef> objects;
    // A COB-ID: only its 11-bit identifier is stored (flag bits 29..31 dropped).
    bool cobId;
};

// The parameters read, in reading order.
const std::vector<LoadParamEntry>& LoadParamEntries();

enum class LoadParamState { Pending, Loaded, NotFound };

struct LoadParamResult {
    std::string variable;
    LoadParamState state = LoadParamState::Pending;
    uint32_t value = 0;
    SdoObjectRef object;  // the object the value came from (or the first one tried)
};

// "Pdo1Id  0x181  (0x1800 sub 1)  loaded", "Srdo1Id  not found".
std::string LoadParamResultText(const LoadParamResult& result);

class ParameterLoad {
public:
    static constexpr int kIntervalMs = 10;
    // Time for each answer when the script variable Timer holds no usable value.
    static constexpr int kDefaultAnswerMs = 100;

    ParameterLoad();
    ~ParameterLoad();
    ParameterLoad(const ParameterLoad&) = delete;
    ParameterLoad& operator=(const ParameterLoad&) = delete;

    // Begins with the first parameter (any load in progress starts afresh).
    void Start();
    // Ends the load; the parameters not read yet stay pending.
    void Stop();
    bool IsRunning() const;
    // The timer's handler: sends the next request or judges the answer to the last one.
    void timLoadParamTimer();

    const std::vector<LoadParamResult>& Results() const { return results_; }
    // Called after every change of the results (the window refreshes its list).
    void SetListener(std::function<void()> listener) { listener_ = std::move(listener); }

private:
    void SendRequest();
    void Judge();
    void NextObject();
    void Finish(LoadParamState state, uint32_t value);
    void Notify();

    std::unique_ptr<TimerPort> timer_;
    std::vector<LoadParamResult> results_;
    size_t item_ = 0;
    size_t object_ = 0;
    bool waiting_ = false;
    uint64_t deadlineUs_ = 0;
    std::function<void()> listener_;
};

// The process-wide parameter load ("BEF_LoadPara", the menu, the node connect).
ParameterLoad& CurrentParameterLoad();
