#pragma once
// The object dictionary of the simulated encoder: the CiA 301 communication objects, the
// CiA 406 encoder objects and a few manufacturer objects, with their built-in values.

#include "EncoderOptions.h"
#include "ObjectDictionary.h"

// Signatures of "store parameters" (0x1010) and "restore default parameters" (0x1011).
constexpr uint32_t kSaveSignature = 0x65766173;  // "save"
constexpr uint32_t kLoadSignature = 0x64616F6C;  // "load"
// Size of the read-only production log (0x2012).
constexpr size_t kProductionLogBytes = 4000;

// The range of indices each sub-index of 0x1010 / 0x1011 covers; false for other sub-indices.
bool StorageGroupRange(uint8_t sub, uint16_t& first, uint16_t& last);

void AddEncoderObjects(ObjectDictionary& od, const EncoderOptions& options);
