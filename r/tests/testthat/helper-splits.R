# Answers found without the package: the splits of a tree with their
# lengths, read off ape's phylo object, and the distances they give.

# Every edge of the unrooted tree as the sorted tip labels on its side
# away from `reference`, with its length.
splits_of <- function(tree, reference) {
  tree <- ape::unroot(tree)
  n <- length(tree$tip.label)
  below <- lapply(seq_len(n + tree$Nnode), function(node) if (node <= n) tree$tip.label[node] else character(0))
  for (e in rev(seq_len(nrow(tree$edge)))) {  # cladewise order: children after parents
    parent <- tree$edge[e, 1]
    below[[parent]] <- c(below[[parent]], below[[tree$edge[e, 2]]])
  }
  sides <- vapply(seq_len(nrow(tree$edge)), function(e) {
    side <- below[[tree$edge[e, 2]]]
    if (reference %in% side) side <- setdiff(tree$tip.label, side)
    paste(sort(side), collapse = ",")
  }, character(1))
  stats::setNames(tree$edge.length, sides)
}

split_distance <- function(a, b, metric) {
  every <- union(names(a), names(b))
  if (metric == "rf") return(length(setdiff(names(a), names(b))) + length(setdiff(names(b), names(a))))
  at <- function(s, split) if (split %in% names(s)) s[[split]] else 0
  terms <- vapply(every, function(split) at(a, split) - at(b, split), numeric(1))
  if (metric == "wrf") sum(abs(terms)) else sqrt(sum(terms^2))
}

# Random trees whose every edge is 0.05 to 1 long.
random_trees <- function(m, n, seed) {
  set.seed(seed)
  lapply(seq_len(m), function(k) {
    tree <- ape::rtree(n, br = NULL)
    tree$edge.length <- stats::runif(nrow(tree$edge), 0.05, 1)
    tree
  })
}
