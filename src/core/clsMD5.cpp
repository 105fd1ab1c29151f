#include "core/clsMD5.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace tidewell {

namespace {

// The per-step additive constants: floor(abs(sin(i + 1)) * 2^32).
constexpr std::array<std::uint32_t, 64> kSine = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

// Left-rotation amounts, four per round.
constexpr std::array<int, 16> kShift = {7, 12, 17, 22, 5, 9, 14, 20, 4, 11, 16, 23, 6, 10, 15, 21};

constexpr std::uint32_t rotateLeft(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

class Md5State {
 public:
  void update(const unsigned char* data, std::size_t length) {
    byteCount_ += length;
    while (length > 0) {
      const std::size_t take = std::min<std::size_t>(length, 64 - used_);
      std::memcpy(block_.data() + used_, data, take);
      used_ += take;
      data += take;
      length -= take;
      if (used_ == 64) {
        transform(block_.data());
        used_ = 0;
      }
    }
  }

  // Pads with a 1 bit and zeros to 56 bytes modulo 64, then the message
  // length in bits as a 64-bit little-endian number.
  std::array<unsigned char, 16> finish() {
    const std::uint64_t bitLength = static_cast<std::uint64_t>(byteCount_) * 8u;
    const unsigned char one = 0x80;
    update(&one, 1);
    const unsigned char zero = 0;
    while (used_ != 56) update(&zero, 1);
    unsigned char lengthBytes[8];
    for (int i = 0; i < 8; ++i) lengthBytes[i] = static_cast<unsigned char>(bitLength >> (8 * i));
    update(lengthBytes, 8);

    std::array<unsigned char, 16> digest{};
    for (int word = 0; word < 4; ++word) {
      for (int b = 0; b < 4; ++b) digest[word * 4 + b] = static_cast<unsigned char>(state_[word] >> (8 * b));
    }
    return digest;
  }

 private:
  void transform(const unsigned char* block) {
    std::uint32_t m[16];
    for (std::size_t i = 0; i < 16; ++i) {
      m[i] = static_cast<std::uint32_t>(block[i * 4]) | (static_cast<std::uint32_t>(block[i * 4 + 1]) << 8) |
             (static_cast<std::uint32_t>(block[i * 4 + 2]) << 16) |
             (static_cast<std::uint32_t>(block[i * 4 + 3]) << 24);
    }
    std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
    for (int i = 0; i < 64; ++i) {
      std::uint32_t f = 0;
      int g = 0;
      const int round = i / 16;
      switch (round) {
        case 0:
          f = (b & c) | (~b & d);
          g = i;
          break;
        case 1:
          f = (d & b) | (~d & c);
          g = (5 * i + 1) % 16;
          break;
        case 2:
          f = b ^ c ^ d;
          g = (3 * i + 5) % 16;
          break;
        default:
          f = c ^ (b | ~d);
          g = (7 * i) % 16;
          break;
      }
      const std::uint32_t next =
          b + rotateLeft(a + f + kSine[static_cast<std::size_t>(i)] + m[g],
                         kShift[static_cast<std::size_t>(round) * 4 + static_cast<std::size_t>(i % 4)]);
      a = d;
      d = c;
      c = b;
      b = next;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
  }

  std::array<std::uint32_t, 4> state_ = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  std::array<unsigned char, 64> block_{};
  std::size_t used_ = 0;
  std::size_t byteCount_ = 0;
};

}  // namespace

QString clsMD5::GetMD5(const QString& text) const { return digestHex(text.toUtf8()); }

QString clsMD5::digestHex(const QByteArray& bytes) {
  Md5State md5;
  md5.update(reinterpret_cast<const unsigned char*>(bytes.constData()), static_cast<std::size_t>(bytes.size()));
  const auto digest = md5.finish();
  static constexpr char kHex[] = "0123456789abcdef";
  QString out;
  out.reserve(32);
  for (unsigned char byte : digest) {
    out += QLatin1Char(kHex[byte >> 4]);
    out += QLatin1Char(kHex[byte & 0x0f]);
  }
  return out;
}

}  // namespace tidewell
