# SPDX-License-Identifier: MIT
# Neighbor joining and BIONJ as ape computes them, for the tests to compare
# with: reads matrices (n, then n rows of numbers, leaves 1..n) from the file
# named first, and writes to the file named second, for each matrix K:
#   "tree K nj" and "tree K bionj": ape's trees, each as the n rows of its
#     path lengths (leaves 1..n in order), then a line "split ..." per inner
#     edge: the leaves on the side without leaf 1;
#   "tree K bionj-closer": the path lengths of BIONJ as Gascuel defines it,
#     in doubles, where with four nodes left the closer of the two pairs
#     that split them alike is joined (both have the same Q);
#   "ape-bionj K closer|other|neither": which of the two choices ape's tree
#     is, to within the rounding of its single-precision numbers (1e-5).
# ape's BIONJ computes in single precision and leaves that last choice to
# its rounding; this plain rendering of Gascuel's formulas in doubles shows
# that everything else in ape's tree is Gascuel's BIONJ.
suppressPackageStartupMessages(library(ape))
args <- commandArgs(trailingOnly = TRUE)

# Path lengths between the leaves of a tree given as edges from each node
# made to the two it joins, the last node made at the centre.
path_lengths <- function(n, from, to, length) {
  made <- max(from)
  renumber <- c(1:n, n + 1 + ((n + 1):made - n) %% (made - n)) # the centre first
  tree <- structure(list(edge = cbind(renumber[from], renumber[to]), edge.length = length,
                         tip.label = as.character(1:n), Nnode = made - n), class = "phylo")
  cophenetic(tree)[as.character(1:n), as.character(1:n)]
}

plain_bionj <- function(d, closer) {
  n <- nrow(d)
  v <- d
  left <- 1:n
  node <- 1:n
  from <- to <- length <- c()
  made <- n
  while (length(left) > 3) {
    r <- length(left)
    s <- rowSums(d[left, left])
    q <- (r - 2) * d[left, left] - outer(s, s, "+")
    diag(q) <- Inf
    best <- which(q == min(q), arr.ind = TRUE)[1, ]
    x <- min(best)
    y <- max(best)
    if (r == 4) {
      rest <- setdiff(1:4, c(x, y))
      if ((d[left[rest[1]], left[rest[2]]] < d[left[x], left[y]]) == closer) {
        x <- rest[1]
        y <- rest[2]
      }
    }
    a <- left[x]
    b <- left[y]
    la <- (d[a, b] + (s[x] - s[y]) / (r - 2)) / 2
    lb <- d[a, b] - la
    others <- setdiff(left, c(a, b))
    weight <- if (v[a, b] == 0) 0.5 else 0.5 + sum(v[b, others] - v[a, others]) / (2 * (r - 2) * v[a, b])
    weight <- min(max(weight, 0), 1)
    joined <- weight * (d[a, others] - la) + (1 - weight) * (d[b, others] - lb)
    variance <- weight * v[a, others] + (1 - weight) * v[b, others] - weight * (1 - weight) * v[a, b]
    d[a, others] <- d[others, a] <- joined
    v[a, others] <- v[others, a] <- variance
    made <- made + 1
    from <- c(from, made, made)
    to <- c(to, node[a], node[b])
    length <- c(length, la, lb)
    node[a] <- made
    left <- setdiff(left, b)
  }
  x <- left[1]; y <- left[2]; z <- left[3]
  made <- made + 1
  from <- c(from, made, made, made)
  to <- c(to, node[x], node[y], node[z])
  length <- c(length, (d[x, y] + d[x, z] - d[y, z]) / 2, (d[x, y] + d[y, z] - d[x, z]) / 2,
              (d[x, z] + d[y, z] - d[x, y]) / 2)
  path_lengths(n, from, to, length)
}

near <- function(a, b) all(abs(a - b) <= 1e-5 * pmax(abs(b), 1e-300))

write_rows <- function(paths, out) {
  writeLines(apply(paths, 1, function(row) paste(sprintf("%.17g", row), collapse = " ")), out)
}

words <- scan(args[1], what = double(), quiet = TRUE)
out <- file(args[2], "w")
at <- 1
k <- 0
while (at <= length(words)) {
  n <- words[at]
  d <- matrix(words[(at + 1):(at + n * n)], n, n, byrow = TRUE)
  at <- at + 1 + n * n
  k <- k + 1
  dimnames(d) <- list(as.character(1:n), as.character(1:n))
  for (method in c("nj", "bionj")) {
    tree <- if (method == "nj") nj(d) else bionj(d)
    writeLines(sprintf("tree %d %s", k, method), out)
    paths <- cophenetic(tree)[as.character(1:n), as.character(1:n)]
    write_rows(paths, out)
    tips <- as.integer(tree$tip.label)
    for (part in prop.part(tree)[-1]) { # the first is the root's: every leaf
      leaves <- sort(tips[part])
      if (1L %in% leaves) leaves <- setdiff(1:n, leaves)
      writeLines(paste("split", paste(leaves, collapse = " ")), out)
    }
  }
  closer <- plain_bionj(d, TRUE)
  other <- if (n >= 4) plain_bionj(d, FALSE) else closer
  writeLines(sprintf("tree %d bionj-closer", k), out)
  write_rows(closer, out)
  choice <- if (near(paths, closer)) "closer" else if (near(paths, other)) "other" else "neither"
  writeLines(sprintf("ape-bionj %d %s", k, choice), out)
}
close(out)
