#pragma once
// The operators the plug-in has C/Migemo write its patterns with: control
// characters that no query reaches it with (MigemoLibrary::Query refuses
// one that holds them) and no CP932 character contains, so that a pattern
// parses without a regular-expression engine. A pattern is words joined by
// kMigemoOr inside kMigemoNestIn ... kMigemoNestOut groups, and sets of
// single characters inside kMigemoSelectIn ... kMigemoSelectOut; nothing
// stands between characters (the newline operator is empty). C/Migemo still
// puts a backslash before each of \ . * ^ $ / of a word.

namespace tarnwick {

constexpr char kMigemoOr = '\x01';
constexpr char kMigemoNestIn = '\x02';
constexpr char kMigemoNestOut = '\x03';
constexpr char kMigemoSelectIn = '\x04';
constexpr char kMigemoSelectOut = '\x05';

}  // namespace tarnwick
