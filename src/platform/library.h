// A DLL loaded for the life of its owner and freed with it.
#pragma once

#include <windows.h>

class Library {
public:
  Library() = default;
  Library(const Library &) = delete;
  Library &operator=(const Library &) = delete;
  ~Library() { Free(); }

  bool Load(const char *name) {
    Free();
    module_ = LoadLibraryA(name);
    return module_ != nullptr;
  }
  void Free() {
    if (module_ != nullptr)
      FreeLibrary(module_);
    module_ = nullptr;
  }
  bool IsLoaded() const { return module_ != nullptr; }

  // Binds the export with this ordinal to a pointer whose type the caller names, so that the
  // signature is stated once, where the pointer is declared.
  template <typename Function> bool Bind(WORD ordinal, Function &function) const {
    function = nullptr;
    if (module_ == nullptr)
      return false;
    FARPROC address = GetProcAddress(module_, MAKEINTRESOURCEA(ordinal));
    function = reinterpret_cast<Function>(reinterpret_cast<void *>(address));
    return function != nullptr;
  }

private:
  HMODULE module_ = nullptr;
};
