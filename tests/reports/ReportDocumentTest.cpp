#include "reports/ReportDocument.h"

#include <gtest/gtest.h>
