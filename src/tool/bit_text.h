// Bits of response and input bytes as the characters the modes print and write.
#ifndef KAVTEST_BIT_TEXT_H
#define KAVTEST_BIT_TEXT_H

/// The nBits low bits of `in`, most significant first, in a buffer the next call overwrites.
char* numBits(unsigned char in, int nBits);
/// The low bits of `in`, least significant first, into buf (n characters and a terminator).
char* convertToStr(unsigned char in, char* buf, int n);
/// nBits characters of `vect` from `start`, in a buffer the next call overwrites.
char* cutVector(const char* vect, int start, int nBits);

#endif
