#pragma once
// The result protocol of an upload: an element Exportprotokoll appended as
// the last child of the host file's root, one per answer (an upload in n
// packages leaves up to n of them). The host reads it to learn the outcome.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kanvio {

struct ExportProtocol {
  std::string Export_Status = "ROLLBACK";
  std::string Anzahl_Datensaetze_Gesamt = "0";
  std::string Anzahl_Datensaetze_Erfolgreich_Uebergeben = "0";
};

class ResultProtocol {
 public:
  // The values of a shop's answer (an XML document with the root
  // Exportprotokoll). Taken in order; when one cannot be taken the failure
  // is logged and it and the values after it keep their start values.
  static ExportProtocol FromAnswer(const std::string& answer);
  // All three values of the answer, or nothing (the failure is logged).
  static std::optional<ExportProtocol> TryFromAnswer(const std::string& answer);

  // Appends the protocol to the root of file, which must be called root, and
  // saves the file in place, whole or not at all. Throws Error (or
  // FileNotFoundError, XmlError); the file is then unchanged.
  static void Write(const std::filesystem::path& file, const std::string& root,
                    const ExportProtocol& protocol);
  // Several protocols in one load and save, in order: an upload in many
  // packages must not rewrite a large file once per package.
  static void Write(const std::filesystem::path& file, const std::string& root,
                    const std::vector<ExportProtocol>& protocols);
  // As Write, but always through the editing form of the whole document.
  // Write keeps a plain UTF-8 file as it is and inserts the protocols' text;
  // it takes this path for every other file and for every failure, so that
  // both report the same errors. Tests and benchmarks compare the two.
  static void WriteByEditing(const std::filesystem::path& file, const std::string& root,
                             const std::vector<ExportProtocol>& protocols);

  // The protocol of a read that failed: ROLLBACK, no records. Throws as Write.
  static void AppendRollback(const std::filesystem::path& file, const std::string& root);

  // Appends the protocol of a shop's answer to the file whose root is typ.
  // Never throws for a bad answer or file: the failure is logged and the
  // file stays as it was. True when the protocol was written.
  static bool Append(const std::filesystem::path& file, const std::string& typ, const std::string& answer);
};

}  // namespace kanvio
