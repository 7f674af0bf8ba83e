#pragma once

// Writes the 16-byte MD5 digest of the length bytes at data into digest.
void BX_MD5Sum(unsigned char digest[16], const void* data, unsigned int length);
