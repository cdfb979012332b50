# phangorn's RF.dist on a Newick file, read by ape's read.tree: prints the
# seconds both take together; with a second argument, an rf_pairs table to
# check the result against (stops when they differ).
#   Rscript bench/tree_rf_phangorn.R TREES.nwk [TABLE.tsv]
arguments <- commandArgs(trailingOnly = TRUE)
suppressPackageStartupMessages(library(phangorn))
seconds <- system.time({
  trees <- ape::read.tree(arguments[1])
  table <- RF.dist(trees)
})[["elapsed"]]
if (length(arguments) > 1) {
  expected <- as.matrix(utils::read.delim(arguments[2], row.names = 1))
  stopifnot(all(as.matrix(table) == unname(expected)))
}
cat(sprintf("%.3f\n", seconds))
