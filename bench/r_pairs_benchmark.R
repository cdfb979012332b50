# rfcompare::rf_pairs() on m cophenetic matrices of n leaves (random trees,
# edges 0.05 to 1) against ape's route in the same session: nj() on every
# matrix, then dist.topo() on the trees; rounds alternate, medians are
# compared, and the tables must be the same.
#   Rscript bench/r_pairs_benchmark.R [LIBRARY] [ROUNDS] [M] [N]
arguments <- commandArgs(trailingOnly = TRUE)
if (length(arguments) >= 1L) .libPaths(c(arguments[1L], .libPaths()))
rounds <- if (length(arguments) >= 2L) as.integer(arguments[2L]) else 3L
m <- if (length(arguments) >= 3L) as.integer(arguments[3L]) else 1000L
n <- if (length(arguments) >= 4L) as.integer(arguments[4L]) else 100L
suppressPackageStartupMessages({
  library(ape)
  library(rfcompare)
})
set.seed(100)
random_tree <- function(k) {
  tree <- rtree(n, br = NULL)
  tree$edge.length <- runif(nrow(tree$edge), 0.05, 1)
  tree
}
matrices <- lapply(lapply(seq_len(m), random_tree), cophenetic)
ours <- theirs <- numeric(0)
for (round in seq_len(rounds)) {
  ours <- c(ours, system.time(table <- rf_pairs(matrices))[["elapsed"]])
  theirs <- c(theirs, system.time(reference <- dist.topo(structure(lapply(matrices, nj), class = "multiPhylo"), method = "PH85"))[["elapsed"]])
  stopifnot(all(as.matrix(table) == as.matrix(reference)))
}
cat(sprintf("m = %d, n = %d, %d rounds\nrf_pairs() s          %s\nnj + dist.topo s      %s\n", m, n, rounds,
            paste(sprintf("%.3f", ours), collapse = " "), paste(sprintf("%.3f", theirs), collapse = " ")))
cat(sprintf("median: rf_pairs() %.3f s, nj + dist.topo %.3f s: %.0f times faster, same table\n",
            median(ours), median(theirs), median(theirs) / median(ours)))
