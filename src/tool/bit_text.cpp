// Bits of response and input bytes as characters.
#include "bit_text.h"

#include <cstring>
#include <string>

char* numBits(unsigned char in, int nBits) {
  static char buf[9];
  buf[nBits] = '\0';
  for (int i = 0; i < nBits; i++) buf[nBits - 1 - i] = (in >> i) & 1 ? '1' : '0';
  return buf;
}

char* convertToStr(unsigned char in, char* buf, int n) {
  buf[n] = '\0';
  for (int i = 0; i < n && i < 8; i++) buf[i] = (in >> i) & 1 ? '1' : '0';
  return buf;
}

char* cutVector(const char* vect, int start, int nBits) {
  static std::string copy;
  if (vect == nullptr) return nullptr;
  int len = static_cast<int>(std::strlen(vect));
  copy.assign(vect);
  char* result = copy.data() + (len >= start ? start : 0);
  if (len >= start + nBits) result[nBits] = '\0';
  return result;
}
