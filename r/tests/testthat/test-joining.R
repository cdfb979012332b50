# Neighbor joining and BIONJ against ape on noisy matrices, and against the
# additive rebuild on exact tree metrics.

noisy_matrix <- function(n, noise) {
  tree <- ape::rtree(n, br = function(k) stats::runif(k, 0.1, 1))
  d <- ape::cophenetic.phylo(tree)
  factor <- matrix(1 + noise * stats::rnorm(n * n), n, n)
  factor[lower.tri(factor)] <- t(factor)[lower.tri(factor)]
  d <- d * pmax(factor, 0.01)
  diag(d) <- 0
  d
}

same_splits <- function(a, b) {
  reference <- a$tip.label[1]
  setequal(names(splits_of(a, reference)), names(splits_of(b, reference)))
}

paths_of <- function(tree, labels) ape::cophenetic.phylo(tree)[labels, labels]

test_that("neighbor joining and BIONJ give ape's trees", {
  set.seed(33)
  for (k in 1:15) {
    d <- noisy_matrix(sample(5:40, 1), 0.02)
    labels <- rownames(d)
    ours <- rebuild(d, method = "nj")
    theirs <- ape::nj(d)
    expect_true(same_splits(ours, theirs))
    expect_equal(paths_of(ours, labels), paths_of(theirs, labels), tolerance = 1e-6)
    # ape's BIONJ rounds in single precision and breaks its last tie by that
    # rounding: the topology here; the lengths against Gascuel's formulas in
    # the C++ tests.
    expect_true(same_splits(rebuild(d, method = "bionj"), ape::bionj(d)))
  }
})

test_that("a tree metric gives the additive tree", {
  set.seed(34)
  for (k in 1:15) {
    d <- ape::cophenetic.phylo(ape::rtree(sample(3:40, 1), br = function(k) stats::runif(k, 0.1, 1)))
    additive <- rebuild(d)
    for (method in c("nj", "bionj")) {
      joined <- rebuild(d, method = method)
      expect_true(same_splits(joined, additive))
      expect_equal(paths_of(joined, rownames(d)), paths_of(additive, rownames(d)), tolerance = 1e-9)
    }
  }
})

test_that("the warning names the method, and neighbor joining gives none", {
  d <- matrix(c(0, 3, 4, 5, 3, 0, 5, 4, 4, 5, 0, 3, 5, 4, 3, 0), 4)
  expect_warning(rebuild(d), 'method = "nj" builds trees that do not depend on it', fixed = TRUE)
  expect_warning(tree <- rebuild(d, method = "nj"), NA)
  expect_equal(attr(tree, "misfit")[["relative"]], 0.1)
  expect_warning(table <- rf_pairs(list(d, d), method = "bionj"), NA)
  expect_equal(as.vector(table), 0)
  expect_warning(first <- first_against_others(list(d, d), method = "nj"), NA)
  expect_equal(unname(first), 0)
  expect_error(rebuild(d, method = "upgma"), 'method must be additive, nj or bionj, not "upgma"', fixed = TRUE)
  expect_error(rebuild(d, method = 3), "method must be additive, nj or bionj", fixed = TRUE)
})
