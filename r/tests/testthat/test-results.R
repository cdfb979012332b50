# Results against answers found without the package: the splits of the
# trees the cophenetic matrices come from, ape's dist.topo, and the
# programs on the same numbers.

test_that("distances are those of the generating trees' splits, whatever the leaf order", {
  trees <- c(random_trees(6, 9, 1), random_trees(1, 9, 1))  # the last is the first again
  trees[[3]]$edge.length <- trees[[3]]$edge.length * 1.5     # ... and one more with other lengths
  trees[[4]] <- trees[[3]]
  trees[[4]]$edge.length <- trees[[4]]$edge.length * 2
  matrices <- lapply(trees, function(tree) {
    d <- ape::cophenetic.phylo(tree)
    leaves <- sample(nrow(d))
    d[leaves, leaves]  # each in an order of its own: names decide
  })
  names(matrices) <- paste0("tree", seq_along(trees))
  reference <- rownames(matrices[[1]])[1]
  splits <- lapply(trees, splits_of, reference = reference)
  for (metric in c("rf", "wrf", "kf")) {
    table <- rf_pairs(matrices, metric = metric)
    expected <- outer(seq_along(trees), seq_along(trees),
                      Vectorize(function(i, j) split_distance(splits[[i]], splits[[j]], metric)))
    expect_s3_class(table, "dist")
    expect_equal(attr(table, "Labels"), names(matrices))
    expect_equal(as.matrix(table), expected, ignore_attr = TRUE, tolerance = 1e-9)
  }
  expect_equal(as.matrix(rf_pairs(matrices, metric = "wrf"))[1, 7], 0)
  expect_equal(as.matrix(rf_pairs(matrices))[3, 4], 0)
  expect_gt(as.matrix(rf_pairs(matrices, metric = "kf"))[3, 4], 0)
  expect_equal(unname(first_against_others(matrices)), as.matrix(rf_pairs(matrices))[1, -1], ignore_attr = TRUE)
})

test_that("ape's dist.topo agrees: Robinson-Foulds, and the branch score of the inner edges", {
  trees <- random_trees(5, 12, 2)
  matrices <- lapply(trees, ape::cophenetic.phylo)
  unrooted <- lapply(trees, ape::unroot)
  class(unrooted) <- "multiPhylo"
  expect_equal(as.matrix(rf_pairs(matrices)), as.matrix(ape::dist.topo(unrooted, method = "PH85")),
               ignore_attr = TRUE)
  # ape's score leaves the leaves' edges out; the splits above, kept to the
  # inner edges, give it.
  inner <- lapply(trees, function(tree) {
    splits <- splits_of(tree, tree$tip.label[1])
    splits[lengths(strsplit(names(splits), ",")) %in% 2:10]
  })
  expect_equal(outer(1:5, 1:5, Vectorize(function(i, j) split_distance(inner[[i]], inner[[j]], "kf"))),
               as.matrix(ape::dist.topo(unrooted, method = "score")), ignore_attr = TRUE, tolerance = 1e-9)
})

test_that("rebuilt trees are the generating trees: splits, lengths, tip labels", {
  for (tree in random_trees(4, 15, 3)) {
    d <- ape::cophenetic.phylo(tree)
    rebuilt <- rebuild(d)
    expect_s3_class(rebuilt, "phylo")
    expect_setequal(rebuilt$tip.label, tree$tip.label)
    expected <- splits_of(tree, rownames(d)[1])
    found <- splits_of(rebuilt, rownames(d)[1])
    expect_setequal(names(found), names(expected))
    expect_equal(found[names(expected)], expected, tolerance = 1e-9)
  }
  plain <- rebuild(matrix(c(0, 2, 3, 3, 2, 0, 3, 3, 3, 3, 0, 2, 3, 3, 2, 0), 4))
  expect_equal(ape::write.tree(plain), "(1:1,2:1,(3:1,4:1):1);")
})

test_that("files read as the programs read them; the arrays and lists give the same tables", {
  path <- tempfile(fileext = ".txt")
  writeLines(c("4", "0 2 3 3", "2 0 3 3", "3 3 0 2.5e-1", "3 3 0.25 9",
               "0 3 2 3", "3 0 3 2", "2 3 0 3", "3 2 3 0", "garbage"), path)
  matrices <- read_matrices(path, m = 2)
  expect_length(matrices, 2)
  expect_identical(matrices[[1]][3, 4], 0.25)
  expect_identical(matrices[[1]][4, 4], 0)
  stacked <- array(unlist(matrices), dim = c(4, 4, 2))
  expect_equal(rf_pairs(stacked), rf_pairs(matrices), ignore_attr = "call")
  expect_equal(first_against_others(stacked), 2)
})

test_that("the program rf_pairs writes the same table", {
  program <- Sys.getenv("RF_PAIRS")
  skip_if(program == "", "RF_PAIRS names no rf_pairs program")
  trees <- random_trees(6, 10, 5)
  path <- tempfile(fileext = ".txt")
  lines <- c("10", unlist(lapply(trees, function(tree) {
    apply(ape::cophenetic.phylo(tree), 1, function(row) paste(sprintf("%.17g", row), collapse = " "))
  })))
  writeLines(lines, path)
  for (metric in c("rf", "wrf", "kf")) {
    written <- utils::read.delim(text = system2(program, c(path, "--metric", metric), stdout = TRUE), row.names = 1)
    expect_equal(unname(as.matrix(written)), unname(as.matrix(rf_pairs(read_matrices(path), metric = metric))),
                 tolerance = 1e-11)
  }
})

test_that("with a relative tolerance the unit makes no difference", {
  trees <- random_trees(4, 10, 6)
  matrices <- lapply(trees, ape::cophenetic.phylo)
  rf <- as.matrix(rf_pairs(matrices))
  kf <- as.matrix(rf_pairs(matrices, metric = "kf"))
  for (k in c(-8, -6, -3, 3, 6, 8)) {
    scaled <- lapply(matrices, function(d) d * 10^k)
    expect_equal(as.matrix(rf_pairs(scaled, tolerance = "relative")), rf, ignore_attr = TRUE, info = k)
    expect_equal(as.matrix(rf_pairs(scaled, metric = "kf", tolerance = "relative")), kf * 10^k,
                 ignore_attr = TRUE, tolerance = 1e-9, info = k)
  }
})

test_that("trees as trees: phylo, multiPhylo and tree files give phangorn's tables and their matrices'", {
  skip_if_not_installed("phangorn")
  trees <- random_trees(6, 11, 7)
  trees[[3]] <- ape::collapse.singles(ape::di2multi(trees[[3]], tol = 0.3))  # polytomies
  trees[[4]] <- ape::unroot(trees[[4]])
  class(trees) <- "multiPhylo"
  expect_equal(as.matrix(rf_pairs(trees)), as.matrix(phangorn::RF.dist(trees)), ignore_attr = TRUE)
  expect_equal(as.matrix(rf_pairs(trees, metric = "wrf")), as.matrix(phangorn::wRF.dist(trees)),
               ignore_attr = TRUE, tolerance = 1e-9)
  expect_equal(as.matrix(rf_pairs(trees, metric = "kf")), as.matrix(phangorn::KF.dist(trees)),
               ignore_attr = TRUE, tolerance = 1e-9)
  matrices <- lapply(trees, ape::cophenetic.phylo)
  expect_equal(as.matrix(rf_pairs(c(lapply(1:3, function(k) trees[[k]]), matrices[4:6]), metric = "kf")),
               as.matrix(rf_pairs(matrices, metric = "kf")), ignore_attr = TRUE, tolerance = 1e-9)
  path <- tempfile(fileext = ".nex")
  ape::write.nexus(trees, file = path)  # with a translate table
  expect_true(any(grepl("TRANSLATE", readLines(path), ignore.case = TRUE)))
  back <- read_trees(path)
  expect_s3_class(back, "multiPhylo")
  expect_equal(as.matrix(rf_pairs(back, metric = "kf")), as.matrix(rf_pairs(trees, metric = "kf")),
               ignore_attr = TRUE, tolerance = 1e-9)
  across <- rf_pairs(trees[1:2], tree2 = trees[3:6])
  expect_equal(dim(across), c(2L, 4L))
  expect_equal(unname(unclass(across)[2, 3]), unname(phangorn::RF.dist(trees[[2]], trees[[5]])), ignore_attr = TRUE)
})

test_that("threads, the package option and phangorn's spelling change nothing but the work's sharing", {
  matrices <- lapply(random_trees(9, 12, 8), ape::cophenetic.phylo)
  for (metric in c("rf", "wrf", "kf")) {
    expected <- rf_pairs(matrices, metric = metric)
    for (threads in 1:3) {
      expect_identical(rf_pairs(matrices, metric = metric, threads = threads), expected, ignore_attr = "call")
    }
    old <- options(rfcompare.threads = 1L)
    expect_identical(rf_pairs(matrices, metric = metric), expected, ignore_attr = "call")
    options(old)
    expect_equal(first_against_others(matrices, metric = metric), as.matrix(expected)[1, -1], ignore_attr = TRUE)
  }
  expect_identical(rf_pairs(matrices, normalize = TRUE), rf_pairs(matrices, normalised = TRUE), ignore_attr = "call")
  expect_error(rf_pairs(matrices, threads = -1), "threads must be 0")
})
