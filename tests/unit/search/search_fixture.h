#pragma once
// What the tests of the matching layer share.

#include "support/folder_records.h"

#include <gtest/gtest.h>

namespace search_test {

using testing_support::Folder;

}  // namespace search_test
