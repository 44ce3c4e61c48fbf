#include "DxfGenerator.h"

#include "interchange/DxfWriter.h"

#include <cstdint>
#include <cstdio>

namespace {

class TRandom {
public:
  explicit TRandom(unsigned Seed) : FState(Seed * 2654435761u + 1) {}
  double Uniform(double Lo, double Hi) {
    FState = FState * 6364136223846793005ull + 1442695040888963407ull;
    return Lo + (Hi - Lo) * double(FState >> 11) / double(1ull << 53);
  }
  int Below(int N) { return int(Uniform(0, N)) % N; }

private:
  std::uint64_t FState;
};

void Group(std::string& S, int Code, const std::string& Value) {
  S += std::to_string(Code);
  S += "\r\n";
  S += Value;
  S += "\r\n";
}
void Num(std::string& S, int Code, double V) { Group(S, Code, DxfNumber(V)); }

void Header(std::string& S, const char* Version, double W, double H) {
  Group(S, 0, "SECTION"), Group(S, 2, "HEADER");
  Group(S, 9, "$ACADVER"), Group(S, 1, Version);
  Group(S, 9, "$DWGCODEPAGE"), Group(S, 3, "ANSI_936");
  Group(S, 9, "$EXTMIN"), Num(S, 10, 0), Num(S, 20, 0), Num(S, 30, 0);
  Group(S, 9, "$EXTMAX"), Num(S, 10, W), Num(S, 20, H), Num(S, 30, 0);
  Group(S, 0, "ENDSEC");
  Group(S, 0, "SECTION"), Group(S, 2, "TABLES"), Group(S, 0, "TABLE"), Group(S, 2, "LAYER"), Group(S, 70, "4");
  for (const char* name : {"0", "walls", "\xB5\xC0\xC2\xB7", "\xCB\xFE\xB5\xF5"}) {  // 道路, 塔吊
    Group(S, 0, "LAYER"), Group(S, 2, name), Group(S, 70, "0"), Group(S, 62, "7"), Group(S, 6, "CONTINUOUS");
  }
  Group(S, 0, "ENDTAB"), Group(S, 0, "ENDSEC");
  Group(S, 0, "SECTION"), Group(S, 2, "ENTITIES");
}

const char* const kLayers[] = {"0", "walls", "\xB5\xC0\xC2\xB7", "\xCB\xFE\xB5\xF5"};

// R2000 entities carry a handle and their subclass markers; R12 ones neither.
void Common(std::string& S, const char* Name, TRandom& R, const char* Subclass = nullptr) {
  static unsigned handle = 0x100;
  Group(S, 0, Name);
  if (Subclass) {
    char h[16];
    std::snprintf(h, sizeof h, "%X", handle++);
    Group(S, 5, h);
    Group(S, 100, "AcDbEntity");
  }
  Group(S, 8, kLayers[R.Below(4)]);
  Group(S, 62, std::to_string(1 + R.Below(255)));
  if (Subclass) Group(S, 100, Subclass);
}

}  // namespace

std::string GenerateDxfLines(int N, unsigned Seed) {
  TRandom r(Seed);
  std::string s;
  s.reserve(std::size_t(N) * 110);
  Header(s, "AC1009", 10000, 10000);
  for (int i = 0; i < N; ++i) {
    Common(s, "LINE", r);
    const double x = r.Uniform(0, 10000), y = r.Uniform(0, 10000);
    Num(s, 10, x), Num(s, 20, y), Num(s, 30, 0);
    Num(s, 11, x + r.Uniform(-50, 50)), Num(s, 21, y + r.Uniform(-50, 50)), Num(s, 31, 0);
  }
  Group(s, 0, "ENDSEC"), Group(s, 0, "EOF");
  return s;
}

std::string GenerateDxfMixed(int N, unsigned Seed) {
  TRandom r(Seed);
  std::string s;
  s.reserve(std::size_t(N) * 200);
  Header(s, "AC1015", 10000, 10000);
  const char* const texts[] = {"\xCB\xFE\xB5\xF5 QTZ80", "Gate 2", "\xB5\xC0\xC2\xB7 6.0m", "Office"};
  for (int i = 0; i < N; ++i) {
    const double x = r.Uniform(0, 10000), y = r.Uniform(0, 10000);
    const int kind = r.Below(20);
    if (kind < 6) {
      Common(s, "LINE", r, "AcDbLine");
      Num(s, 10, x), Num(s, 20, y), Num(s, 30, 0);
      Num(s, 11, x + r.Uniform(-50, 50)), Num(s, 21, y + r.Uniform(-50, 50)), Num(s, 31, 0);
    } else if (kind < 9) {
      Common(s, "CIRCLE", r, "AcDbCircle");
      Num(s, 10, x), Num(s, 20, y), Num(s, 30, 0), Num(s, 40, r.Uniform(1, 40));
    } else if (kind < 12) {
      Common(s, "ARC", r, "AcDbCircle");
      Num(s, 10, x), Num(s, 20, y), Num(s, 30, 0), Num(s, 40, r.Uniform(1, 40));
      Group(s, 100, "AcDbArc");
      Num(s, 50, r.Uniform(0, 360)), Num(s, 51, r.Uniform(0, 360));
    } else if (kind < 17) {
      Common(s, "LWPOLYLINE", r, "AcDbPolyline");
      const int n = 4 + r.Below(5);
      Group(s, 90, std::to_string(n));
      Group(s, 70, std::to_string(r.Below(2)));
      for (int k = 0; k < n; ++k) {
        Num(s, 10, x + r.Uniform(-60, 60)), Num(s, 20, y + r.Uniform(-60, 60));
        if (r.Below(3) == 0) Num(s, 42, r.Uniform(-1, 1));
      }
    } else {
      Common(s, "TEXT", r, "AcDbText");
      Num(s, 10, x), Num(s, 20, y), Num(s, 30, 0), Num(s, 40, r.Uniform(2, 10));
      Group(s, 1, texts[r.Below(4)]);
      Num(s, 50, r.Uniform(0, 90));
      Group(s, 100, "AcDbText");
    }
  }
  Group(s, 0, "ENDSEC"), Group(s, 0, "EOF");
  return s;
}
