# rfcompare: trees rebuilt from additive distance matrices, as ape phylo
# objects, and compared by Robinson-Foulds, weighted Robinson-Foulds and
# the branch score, with the programs rf_compare and rf_pairs' engine.

read_matrices <- function(path, m = NULL) {
  if (!is.character(path) || length(path) != 1L || is.na(path)) {
    stop("path must be one file name")
  }
  if (!is.null(m)) {
    if (!is.numeric(m) || length(m) != 1L || is.na(m) || m < 1 || m != round(m)) {
      stop("m must be a whole number of at least 1")
    }
  }
  rfc_read_matrices(path.expand(path), if (is.null(m)) NULL else as.numeric(m))
}

rebuild <- function(d) {
  d <- checked_matrix(d, "d")
  labels <- leaf_names(d, "d")
  parts <- rfc_rebuild(d)
  if (is.null(parts)) {
    signal_not_additive(1L, "d is not an additive distance")
  }
  tree <- list(edge = parts$edge, edge.length = parts$edge.length, Nnode = parts$Nnode,
               tip.label = if (is.null(labels)) as.character(seq_len(nrow(d))) else labels)
  structure(tree, class = "phylo", order = "cladewise")
}

first_against_others <- function(matrices, not_additive = c("error", "na")) {
  not_additive <- match.arg(not_additive)
  given <- matrix_list(matrices)
  distances <- compare_all(given, "rf", FALSE, not_additive, first_row_only = TRUE)
  result <- distances[-1L]
  names(result) <- names(given)[-1L]
  result
}

rf_pairs <- function(matrices, metric = c("rf", "wrf", "kf"), normalised = FALSE,
                     not_additive = c("error", "na")) {
  metric <- match.arg(metric)
  not_additive <- match.arg(not_additive)
  if (!is.logical(normalised) || length(normalised) != 1L || is.na(normalised)) {
    stop("normalised must be TRUE or FALSE")
  }
  if (normalised && metric != "rf") {
    stop("normalised applies to metric \"rf\" only: \"", metric, "\" has no largest possible value")
  }
  given <- matrix_list(matrices)
  m <- length(given)
  table <- matrix(compare_all(given, metric, normalised, not_additive, first_row_only = FALSE),
                  m, m, byrow = TRUE)
  labels <- if (is.null(names(given))) seq_len(m) else names(given)
  structure(table[lower.tri(table)], Size = m, Labels = labels, Diag = FALSE, Upper = FALSE,
            method = if (normalised) "rf, normalised" else metric, call = match.call(), class = "dist")
}

# The distances, by rows, after every matrix has been checked and its
# leaves put in the first matrix's order of names.
compare_all <- function(given, metric, normalised, not_additive, first_row_only) {
  orders <- leaf_orders(given)
  result <- rfc_compare(given, orders, not_additive == "na", metric, normalised, first_row_only)
  if (!is.null(result$not_additive)) {
    k <- as.integer(result$not_additive)
    signal_not_additive(k, sprintf("matrix %d is not an additive distance", k))
  }
  result$distances
}

# Signals the condition of a matrix that is not additive; `index` counts
# the matrices from 1.
signal_not_additive <- function(index, message) {
  stop(structure(class = c("rfcompare_not_additive", "error", "condition"),
                 list(message = message, call = NULL, index = index)))
}

# A list of checked matrices from a list or an array with dim c(n, n, m).
matrix_list <- function(matrices) {
  if (is.array(matrices) && length(dim(matrices)) == 3L) {
    names_of <- dimnames(matrices)
    given <- lapply(seq_len(dim(matrices)[3L]), function(k) {
      d <- array(matrices[, , k], dim = dim(matrices)[1:2])
      if (!is.null(names_of)) dimnames(d) <- names_of[1:2]
      d
    })
    names(given) <- if (is.null(names_of)) NULL else names_of[[3L]]
  } else if (is.list(matrices) && !is.data.frame(matrices)) {
    given <- matrices
  } else {
    stop("matrices must be a list of matrices or an array with dim c(n, n, m)")
  }
  if (length(given) == 0L) {
    stop("no matrix given")
  }
  checked <- lapply(seq_along(given), function(k) checked_matrix(given[[k]], sprintf("matrix %d", k)))
  names(checked) <- names(given)
  n <- nrow(checked[[1L]])
  for (k in seq_along(checked)) {
    if (nrow(checked[[k]]) != n) {
      stop(sprintf("matrix %d has %d leaves and matrix 1 has %d: all must have the same number",
                   k, nrow(checked[[k]]), n))
    }
  }
  checked
}

# A square numeric matrix of at least 2 leaves, every entry finite, stored
# as doubles; a dist object is taken as its matrix.
checked_matrix <- function(d, what) {
  if (inherits(d, "dist")) {
    d <- as.matrix(d)
  }
  if (!is.matrix(d)) {
    stop(what, " is not a matrix")
  }
  if (!is.numeric(d)) {
    stop(what, " is not numeric: it holds ", typeof(d), " values")
  }
  if (nrow(d) != ncol(d)) {
    stop(sprintf("%s is not square: %d rows, %d columns", what, nrow(d), ncol(d)))
  }
  if (nrow(d) < 2L) {
    stop(what, " has fewer than 2 leaves")
  }
  if (!all(is.finite(d))) {
    bad <- which(!is.finite(d), arr.ind = TRUE)
    stop(sprintf("%s has NA, NaN or infinite entries: the first is %s at row %d, column %d",
                 what, format(d[bad[1L, 1L], bad[1L, 2L]]), bad[1L, 1L], bad[1L, 2L]))
  }
  if (!is.double(d)) {
    storage.mode(d) <- "double"
  }
  d
}

# The leaf names of a matrix: its row names, which must be its column names
# and distinct; NULL when it has neither.
leaf_names <- function(d, what) {
  rows <- rownames(d)
  columns <- colnames(d)
  if (is.null(rows) && is.null(columns)) {
    return(NULL)
  }
  if (is.null(rows) || is.null(columns) || !identical(rows, columns)) {
    stop(what, ": its row names and column names differ")
  }
  if (anyDuplicated(rows) > 0L) {
    stop(what, ": the leaf name \"", rows[anyDuplicated(rows)], "\" is given twice")
  }
  rows
}

# For each matrix, NULL or the order that puts its leaves in the first
# matrix's order of names. Names decide when every matrix has them,
# positions when none has.
leaf_orders <- function(given) {
  names_of <- lapply(seq_along(given), function(k) leaf_names(given[[k]], sprintf("matrix %d", k)))
  named <- !vapply(names_of, is.null, logical(1L))
  if (!any(named)) {
    return(vector("list", length(given)))
  }
  if (!all(named)) {
    stop(sprintf("matrix %d has leaf names and matrix %d has none: give every matrix names, or none",
                 which(named)[1L], which(!named)[1L]))
  }
  first <- names_of[[1L]]
  lapply(seq_along(given), function(k) {
    order <- match(first, names_of[[k]])
    if (anyNA(order)) {
      stop(sprintf("matrix %d: its leaf names are not those of matrix 1", k))
    }
    if (identical(order, seq_along(first))) NULL else order
  })
}
