#pragma once

#include <QString>

// The feed database's messages, shared by the operations, the windows, the
// command-line tool and the tests. The wording is the program's own and must
// not change (its spelling included).
namespace tidewell::feeddb_text {

inline QString invalidFormatText() {
  return QStringLiteral(
      "Application failed to load Feeds Database. Please reinstall application to resolve this issue.");
}
inline QString invalidFormatTitle() { return QStringLiteral("Invalid Database File Format!"); }

inline QString invalidStructureText() {
  return QStringLiteral(
      "Appliaction failed to access Records in Database. Please reinstal application to resolve this issue.");
}
inline QString invalidStructureTitle() { return QStringLiteral("Invalid Record Structure!"); }

inline QString categoryMissingText(const QString& category) {
  return QStringLiteral("Application failed to locate Feed category \"") + category + QStringLiteral("\" in Database!");
}
inline QString categoryMissingTitle() { return QStringLiteral("Failed to access specified Category!"); }

inline QString moveTargetMissingText(const QString& category) {
  return QStringLiteral("Application failed to locate ") + category + QStringLiteral(" in Database!");
}
inline QString moveTargetMissingTitle() { return QStringLiteral("Category not found!"); }

inline QString categoryExistsText() {
  return QStringLiteral("Category with same Name already exists. Try some other Category Name ...");
}
inline QString categoryExistsTitle() { return QStringLiteral("Category Exists!"); }

inline QString renameFailedText(const QString& category) {
  return QStringLiteral("Application failed to access Category named \"") + category +
         QStringLiteral("\" in database. Edit operation failed. Please Refresh Category tree and try again ...");
}
inline QString renameFailedTitle() { return QStringLiteral("Alert!"); }

inline QString changeCategoryText(const QString& from, const QString& to) {
  return QStringLiteral("Are you sure you want to move selected Feed from \"") + from + QStringLiteral("\" to \"") +
         to + QStringLiteral("\" category?");
}
inline QString changeCategoryTitle() { return QStringLiteral("Change Category?"); }

inline QString feedExistsText(const QString& category) {
  return QStringLiteral("Feed with same URL already exists under category \"") + category + QStringLiteral("\".");
}
inline QString feedExistsTitle() { return QStringLiteral("Feed already Exists!"); }

inline QString categoryNameMissingText() { return QStringLiteral("Please specify Name of Category."); }
inline QString categoryNameMissingTitle() { return QStringLiteral("Category Name?"); }

}  // namespace tidewell::feeddb_text
