#pragma once
// The process-wide channel and the free functions every part of the station uses to reach it.
// All functions are safe to call from several threads: each operation holds the interface's
// lock; waits release it while they block.

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "CanInterface.h"

class CANLogger;

// True while the driver channel is initialised.
extern std::atomic<bool> CanActive;

// The current interface (may be null).
std::shared_ptr<AbstractCanInterface> CanCurrentInterface();
// Makes `iface` current (null removes it); the previous one is released.
void CanSetInterface(std::shared_ptr<AbstractCanInterface> iface);

// The process-wide trace logger.
CANLogger& CanTraceLogger();

bool CanOpen();
bool CanClose();
bool CanWrite(tagOPEN_Message* msg);
uint32_t CanRead(tagOPEN_Message* msg);
uint32_t CanReadOne(tagOPEN_Message* msg);
uint32_t CanWaitForId(int32_t waitMs, int32_t id, tagOPEN_Message* msg);
uint32_t CanWaitForRange(int32_t waitMs, const CanIdRange* range, tagOPEN_Message* msg);
uint32_t CanGetStatus();
uint32_t CanGetApiVersion(std::string& text, size_t length);
bool CanReadData(int32_t id, uint8_t* data);
void CanFormatCsvLine(std::string& text, const tagOPEN_Message* msg, size_t maxLength);
IHandleType* CanGetHandleObject();

// The hardware list shown in the Hardware menu.
std::vector<CanChannelInfo>& CanHardwareList();

// Trace recording into the log folder.
void CanTraceStart();
bool CanTraceStop(const std::string& comment);
// The trace files CanTraceStop wrote since the program started, and the last one's path.
uint64_t CanTraceFilesWritten();
std::string CanLastTraceFile();
void CanTraceDisable();
void CanTraceClear();
