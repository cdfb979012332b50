library(testthat)
library(rfcompare)

test_check("rfcompare")
