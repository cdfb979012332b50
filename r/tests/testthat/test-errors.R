# What callers see when something is wrong: one table of bad inputs and
# their messages, and the condition of a matrix that is not additive.

edge_34 <- matrix(c(0, 2, 3, 3, 2, 0, 3, 3, 3, 3, 0, 2, 3, 3, 2, 0), 4)
skewed <- matrix(c(0, 1, 10, 1, 1, 0, 1, 1, 10, 1, 0, 1, 1, 1, 1, 0), 4)
named <- function(d, labels) { dimnames(d) <- list(labels, labels); d }
with_na <- edge_34; with_na[2, 3] <- NA
no_tree_metric <- matrix(c(0, 3, 4, 5, 3, 0, 5, 4, 4, 5, 0, 3, 5, 4, 3, 0), 4)  # 4 + 4 != 5 + 5: its tree is 2 off
negative <- edge_34; negative[1, 2] <- negative[2, 1] <- -0.005

bad_calls <- list(
  list(quote(rebuild(matrix(1:6, 2))), "d is not square: shape (2, 3)"),
  list(quote(rebuild(matrix(0, 1, 1))), "d has fewer than 2 leaves"),
  list(quote(rebuild(matrix("a", 2, 2))), "d is not numeric: it holds character values"),
  list(quote(rf_pairs(list(edge_34, with_na))),
       "matrix 2 has NA, NaN or infinite entries: the first is NA at row 2, column 3"),
  list(quote(rf_pairs(list(edge_34, diag(5)))), paste("matrix 2: shape (5, 5) differs from the first matrix's (4, 4):",
                                                 "all matrices must have the same number of leaves")),
  list(quote(rf_pairs(list())), "no matrix given"),
  list(quote(rf_pairs(list(edge_34, edge_34 * lower.tri(edge_34)))), paste(
       "matrix 2: the entry at row 1, column 2 is 0 and its mirror image 2: the matrix is not symmetric",
       "(beyond 1e-4 of its largest entry)")),
  list(quote(rebuild(negative)), "d: the entry at row 1, column 2 is -0.005, a negative distance"),
  list(quote(first_against_others(list(edge_34, edge_34 * 1e307))),
       "matrix 2: the entry at row 1, column 2 is 2e+307: sums of entries this large overflow"),
  list(quote(rebuild(edge_34, tolerance = -1)), "tolerance must be absolute, relative or a positive number, not -1"),
  list(quote(rebuild(edge_34, tolerance = c(1, 2))), "tolerance must be absolute, relative or a positive number"),
  list(quote(rf_pairs(edge_34)), "matrices must be a list of matrices or trees, a multiPhylo, or an array with dim c(n, n, m)"),
  list(quote(rf_pairs(list(edge_34), metric = "kf", normalised = TRUE)),
       "normalised applies to metric rf only: kf has no largest possible value"),
  list(quote(rf_pairs(list(named(edge_34, letters[1:4]), edge_34))),
       "matrix 2 has no leaf names, and the first matrix has: give every matrix names, or none"),
  list(quote(rf_pairs(list(named(edge_34, letters[1:4]), named(edge_34, letters[2:5])))),
       "matrix 2 has no leaf named \"a\", which the first matrix has"),
  list(quote(rebuild(structure(edge_34, dimnames = list(letters[1:4], LETTERS[1:4])))),
       "d: its row names and column names differ"),
  list(quote(rebuild(named(edge_34, c("a", "b", "a", "c")))), "d: the leaf name \"a\" is given twice"),
  list(quote(read_matrices("no-such-file.txt")), "File no-such-file.txt was not found"),
  list(quote(read_matrices("/")), "File / is a folder"),
  list(quote(read_matrices("/dev/zero")), "Bad number of objects")
)

test_that("bad inputs stop with a message that says what is wrong", {
  for (call in bad_calls) {
    expect_error(eval(call[[1]]), call[[2]], fixed = TRUE, info = deparse(call[[1]]))
  }
})

test_that("bad files stop with the programs' texts", {
  path <- tempfile(fileext = ".txt")
  cases <- list(list(c("4", "0 2 3 3", "2 x 3 3"),
                     "line 3: Bad entry in matrix 1, row 2, column 2: found \"x\", expected a decimal number"),
                list(c("4", "0 2 3 3"), "Bad matrix number: the file ends inside a matrix (matrix 1)"),
                list("four", "Bad number of objects: found \"four\""))
  for (case in cases) {
    writeLines(case[[1]], path)
    expect_error(read_matrices(path), case[[2]], fixed = TRUE)
  }
})

test_that("a matrix that is not additive signals its condition, or reads NA", {
  condition <- tryCatch(rf_pairs(list(edge_34, edge_34, skewed)), rfcompare_not_additive = function(e) e)
  expect_s3_class(condition, c("rfcompare_not_additive", "error", "condition"), exact = TRUE)
  expect_equal(condition$index, 3)
  expect_equal(tryCatch(rebuild(skewed), rfcompare_not_additive = function(e) e$index), 1)
  table <- as.matrix(rf_pairs(list(edge_34, skewed, edge_34), not_additive = "na"))
  expect_true(all(is.na(table[2, -2])) && all(is.na(table[-2, 2])))
  expect_equal(table[1, 3], 0)
  expect_equal(first_against_others(list(edge_34, skewed, edge_34), not_additive = "na"), c(NA, 0))
  expect_identical(table[2, 1], NA_real_)  # NA, not NaN
  expect_equal(attr(rf_pairs(list(edge_34, skewed), not_additive = "na"), "misfit")[2, ],
               c(absolute = NA_real_, relative = NA_real_))
})

test_that("a matrix that is no tree metric warns once, or with strict is not additive", {
  expect_warning(table <- rf_pairs(list(edge_34, no_tree_metric, no_tree_metric)), paste(
    "2 of 3 matrices are not tree metrics: their trees' path lengths differ from them by up to 40 % (matrix 2);",
    "such trees depend on the order of the leaves"), fixed = TRUE, class = "rfcompare_not_tree_metric")
  expect_equal(unname(attr(table, "misfit")), rbind(c(0, 0), c(2, 0.4), c(2, 0.4)))
  expect_warning(tree <- rebuild(no_tree_metric), "the matrix is not a tree metric", class = "rfcompare_not_tree_metric")
  expect_equal(attr(tree, "misfit"), c(absolute = 2, relative = 0.4))
  expect_equal(tryCatch(rf_pairs(list(edge_34, no_tree_metric), strict = TRUE),
                        rfcompare_not_additive = function(e) conditionMessage(e)),
               "matrix 2 is not an additive distance: its tree's path lengths differ from it by up to 40 % (strict)")
  expect_warning(rebuild(edge_34 * 1e-6), "a relative tolerance may help", fixed = TRUE)
  expect_no_warning(small <- rebuild(edge_34 * 1e-6, tolerance = "relative"))
  expect_equal(ape::write.tree(small), "(1:1e-06,2:1e-06,(3:1e-06,4:1e-06):1e-06);")
})

test_that("conditions name the call; arrays that share one set of names are warned about", {
  condition <- tryCatch(rf_pairs(list(edge_34, skewed)), rfcompare_not_additive = function(e) e)
  expect_identical(conditionCall(condition), quote(rf_pairs(list(edge_34, skewed))))
  condition <- tryCatch(first_against_others(list(edge_34, with_na)), error = function(e) e)
  expect_identical(conditionCall(condition), quote(first_against_others(list(edge_34, with_na))))
  shared <- array(c(edge_34, edge_34), dim = c(4, 4, 2), dimnames = list(letters[1:4], letters[1:4], NULL))
  expect_warning(rf_pairs(shared), class = "rfcompare_shared_names")
  expect_no_warning(rf_pairs(array(c(edge_34, edge_34), dim = c(4, 4, 2))))
})
