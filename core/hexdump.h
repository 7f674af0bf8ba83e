#pragma once

// Writes the bytes as hex-dump lines of 16 bytes to the debug message channel, each line
// preceded by prefix (nothing when prefix is null).
void doHexDump(const unsigned char* data, unsigned int length, const char* prefix);
