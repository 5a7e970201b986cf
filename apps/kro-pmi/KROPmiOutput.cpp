// KROPmiOutput.cpp - exit codes, one-line failures, atomic files.
#include "KROPmiOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>

int KROPmiFail(const std::string& line, int status) {
  std::cerr << "kro-pmi: " << line << '\n';
  return status;
}

bool KROPmiWriteFile(const std::string& path, const std::string& bytes, std::string& why) {
  const std::string temp = path + ".part";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) {
      why = path + ": " + std::strerror(errno);
      return false;
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::remove(temp.c_str());
      why = path + ": write failed";
      return false;
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    why = path + ": " + std::strerror(errno);
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

int KROPmiEmit(const std::string& path, const std::string& bytes) {
  if (path.empty() || path == "-") {
    std::cout << bytes << std::flush;
    return std::cout ? 0 : KROPmiFail("stdout: write failed");
  }
  std::string why;
  return KROPmiWriteFile(path, bytes, why) ? 0 : KROPmiFail(why);
}
