// KROFuzzSeeds.cpp - writes the seed corpus of the three harnesses: small valid inputs and
// truncations of them. Usage: KROFuzzSeeds <corpus directory> (fuzz/corpus in the repository).
#include "KRODocumentFile.h"
#include "KROIndexedStreamWriter.h"
#include "KRORep.h"
#include "KROStreamer.h"
#include "KROTPSLightContainerNames.h"
#include "KROVZBDocument.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

bool Write(const std::string& path, const Bytes& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

/// The input and its truncations at a quarter, a half and one byte short.
bool WriteWithCuts(const std::string& dir, const std::string& name, const Bytes& bytes) {
  bool ok = Write(dir + "/" + name, bytes);
  for (std::size_t cut : {bytes.size() / 4, bytes.size() / 2, bytes.size() - 1})
    if (cut > 0 && cut < bytes.size())
      ok = Write(dir + "/" + name + "-cut" + std::to_string(cut),
                 Bytes(bytes.begin(), bytes.begin() + long(cut))) &&
           ok;
  return ok;
}

template <class Rep> void WriteRep(KROStreamWriter& w, const char* label, int children = 0) {
  Rep* rep = new (nullptr, nullptr, 0) Rep();
  if (!rep) return;
  rep->SetLabel(label);
  if constexpr (requires(Rep & r, KRORep & c) { r.AddChild(c); }) {
    for (int i = 0; i < children; ++i) {
      KRORep* child = new (nullptr, nullptr, 0) KRO2DCustomRep();
      if (child && !rep->AddChild(*child)) child->Destroy();
    }
  }
  w.WriteRep(*rep);
  rep->Destroy();
}

Bytes Sequential(int count, bool withOther) {
  KROStreamWriter w;
  w.WriteInt(count + (withOther ? 1 : 0));
  for (int i = 0; i < count; ++i)
    WriteRep<KRO3DBagRep>(w, "s", i);
  if (withOther) w.WriteClassName("KRORep");
  return w.TakeBytes();
}

Bytes Indexed(int count, bool twoD) {
  KROIndexedStreamWriter indexed(count);
  KROStreamWriter& w = indexed.Writer();
  for (int k = 0; k < count; ++k) {
    indexed.BeginEntry(k + 1);
    if (!twoD)
      WriteRep<KRO3DBagRep>(w, "c", 1);
    else if (k % 2)
      WriteRep<KRO2DCustomRep>(w, "d");
    else
      WriteRep<KRO2DBagRep>(w, "b", 1);
  }
  return indexed.TakeBytes();
}

const char* const kPaths[] = {
    KROTPSContainers::kAnnotationsPath,   KROTPSContainers::kViewsPath,
    KROTPSContainers::kCGsPath,           KROTPSContainers::kCapturesPath,
    KROTPSContainers::kAnnotations2DPath, KROTPSContainers::kCaptureRepsPath};

std::vector<Bytes> Streams() {
  return {Sequential(2, false), Sequential(1, true), Sequential(1, false),
          Indexed(2, false),    Indexed(3, true),    Sequential(2, false)};
}

bool DocumentFiles(const std::string& dir) {
  bool ok = true;
  KRODocumentBuilder empty;
  if (KROVZBDocumentComponent* doc = empty.Build()) {
    ok = WriteWithCuts(dir, "empty", KROSerializeDocument(*doc)) && ok;
    doc->Release();
  }
  KRODocumentBuilder full;
  const std::vector<Bytes> streams = Streams();
  for (std::size_t i = 0; i < streams.size(); ++i)
    full.SetStream(kPaths[i], streams[i]);
  full.AddContainer("Other/Empty");
  if (KROVZBDocumentComponent* doc = full.Build()) {
    ok = WriteWithCuts(dir, "bound", KROSerializeDocument(*doc)) && ok;
    doc->Release();
  }
  return ok;
}

bool RepBinding(const std::string& dir) {
  bool ok = true;
  const std::vector<Bytes> streams = Streams();
  for (int variant = 0; variant < 3; ++variant) {
    // Shape byte (see the harness): objects of each kind, then one index byte per object, then
    // the TTRS placements.
    const unsigned char shape = variant == 0 ? 0x1D : 0x03;
    const int objects = 1 + (shape & 3) + 1 + ((shape >> 2) & 1) + 1 + ((shape >> 3) & 1) + 1 +
                        ((shape >> 4) & 1) + 3;
    Bytes in = {shape};
    for (int k = 0; k < objects; ++k) // indexes 1, 2, 3, 1, ...
      in.push_back(static_cast<unsigned char>(2 + k % 3));
    in.push_back(variant == 2 ? 0x0F : 0x00);
    for (const Bytes& s : streams) {
      in.push_back(3);
      in.push_back(static_cast<unsigned char>(s.size() & 0xFF));
      in.push_back(static_cast<unsigned char>(s.size() >> 8));
      in.insert(in.end(), s.begin(), s.end());
    }
    for (unsigned char call : {0, 1, 2, 0})
      in.push_back(call);
    ok = WriteWithCuts(dir, "model" + std::to_string(variant), in) && ok;
  }
  return ok;
}

bool ApiSequence(const std::string& dir) {
  // Operations: 0 create (kind, set), 1 add (face, set, list), 2 remove, 3 annotation/view,
  // 4 capture, 5 datum/associated, ... 11 documents and binding, 12 queries, 13 bulk, 14 SetRep.
  const std::vector<Bytes> seeds = {
      {0, 0, 0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0, 4, 0, 0, 5, 0, 0, 6, 0},
      {0, 0, 0, 0, 1, 0, 3, 0, 1, 0, 0, 0, 1, 0, 3, 1, 4, 1, 2, 0, 0, 0, 12, 0, 0, 3, 13, 0, 0},
      {0, 0, 0, 0, 3, 0, 9, 0, 3, 1, 10, 0, 0, 3, 7, 0, 3, 0, 12, 0, 0, 3, 2, 0, 1, 0, 0},
      {0, 0,  0, 0, 1,  0, 0, 4,  0, 11, 0,  0, 2,  1, 1,  2, 1, 1,
       1, 11, 0, 1, 11, 0, 3, 11, 0, 2,  14, 0, 14, 2, 13, 1, 0},
      {0, 0, 0, 0, 2, 0, 0,  4, 0, 1, 1, 1, 1, 1, 0, 8, 0,
       0, 5, 6, 0, 1, 2, 15, 1, 2, 2, 0, 2, 1, 1, 0, 1},
  };
  bool ok = true;
  for (std::size_t i = 0; i < seeds.size(); ++i)
    ok = WriteWithCuts(dir, "sequence" + std::to_string(i), seeds[i]) && ok;
  return ok;
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
    return 2;
  }
  const std::string root = argv[1];
  const bool ok = DocumentFiles(root + "/document_file") && RepBinding(root + "/rep_binding") &&
                  ApiSequence(root + "/api_sequence");
  if (!ok) std::fprintf(stderr, "could not write the corpus under %s\n", root.c_str());
  return ok ? 0 : 1;
}
