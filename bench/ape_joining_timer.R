# SPDX-License-Identifier: MIT
# Times ape's nj or bionj on one PHYLIP square matrix (names of one word),
# the reading left out; prints the seconds (wall, then CPU) and writes the
# tree as Newick.
#   Rscript bench/ape_joining_timer.R nj|bionj MATRIX NEWICK_OUT
suppressPackageStartupMessages(library(ape))
args <- commandArgs(trailingOnly = TRUE)
lines <- readLines(args[2])
words <- strsplit(trimws(lines[-1]), "[[:space:]]+")
d <- t(vapply(words, function(w) as.numeric(w[-1]), numeric(length(words))))
dimnames(d) <- list(vapply(words, `[`, "", 1), vapply(words, `[`, "", 1))
took <- system.time(tree <- if (args[1] == "nj") nj(d) else bionj(d))
write.tree(tree, args[3])
cat(sprintf("%.3f %.3f\n", took[["elapsed"]], took[["user.self"]] + took[["sys.self"]]))
