#pragma once
// A pause of the calling thread on the station's clock (virtual in tests).

// Waits `ms` milliseconds; nothing for ms <= 0.
void PeakDelay(int ms);
