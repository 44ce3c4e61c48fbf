// libgsf reads the compound file. Its GLib headers clash with Qt's keywords,
// so this file includes no Qt header and is built without the precompiled one.

#include "platform/CompoundFile.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-utils.h>

#include <mutex>

bool CompoundFileOpens(std::span<const std::uint8_t> Bytes) {
  static std::once_flag initialised;
  std::call_once(initialised, [] { gsf_init(); });
  if (Bytes.size() < 512) return false;  // not even a header sector
  GsfInput* input = gsf_input_memory_new(Bytes.data(), gsf_off_t(Bytes.size()), FALSE);
  if (!input) return false;
  GError* error = nullptr;
  GsfInfile* file = gsf_infile_msole_new(input, &error);
  const bool opened = file != nullptr;
  if (file) g_object_unref(file);
  if (error) g_error_free(error);
  g_object_unref(input);
  return opened;
}
