# rfcompare: trees rebuilt from additive distance matrices, as ape phylo
# objects, and compared by Robinson-Foulds, weighted Robinson-Foulds and
# the branch score, with the programs rf_compare and rf_pairs' engine.

read_matrices <- function(path, m = NULL, format = c("auto", "rf", "phylip", "csv", "tsv")) {
  format <- match.arg(format)
  if (!is.character(path) || length(path) < 1L || anyNA(path)) {
    stop("path must be one or more file names")
  }
  if (!is.null(m)) {
    if (!is.numeric(m) || length(m) != 1L || is.na(m) || m < 1 || m != round(m)) {
      stop("m must be a whole number of at least 1")
    }
  }
  read <- library_result(rfc_read_matrices(path.expand(path), if (is.null(m)) NULL else as.numeric(m), format))
  if (length(read$names) > 0L) {
    read$matrices <- lapply(read$matrices, function(d) { dimnames(d) <- list(read$names, read$names); d })
  }
  read$matrices
}

rebuild <- function(d, tolerance = "absolute", strict = FALSE) {
  d <- checked_matrix(d, "d")
  labels <- leaf_names(d, "d")
  parts <- library_result(rfc_rebuild(d, checked_tolerance(tolerance), checked_flag(strict, "strict")), list(d), "d")
  warn_of_misfit(parts$warning, sys.call())
  tree <- list(edge = parts$edge, edge.length = parts$edge.length, Nnode = parts$Nnode,
               tip.label = if (is.null(labels)) as.character(seq_len(nrow(d))) else labels)
  structure(tree, class = "phylo", order = "cladewise", misfit = parts$misfit)
}

first_against_others <- function(matrices, not_additive = c("error", "na"), tolerance = "absolute",
                                 strict = FALSE) {
  not_additive <- match.arg(not_additive)
  given <- matrix_list(matrices)
  found <- compare_all(given, "rf", FALSE, not_additive, tolerance, strict, first_row_only = TRUE)
  warn_of_misfit(found$warning, sys.call())
  result <- found$distances[-1L]
  names(result) <- names(given)[-1L]
  result
}

rf_pairs <- function(matrices, metric = c("rf", "wrf", "kf"), normalised = FALSE,
                     not_additive = c("error", "na"), tolerance = "absolute", strict = FALSE) {
  metric <- match.arg(metric)
  not_additive <- match.arg(not_additive)
  given <- matrix_list(matrices)
  m <- length(given)
  labels <- if (is.null(names(given))) seq_len(m) else names(given)
  found <- compare_all(given, metric, checked_flag(normalised, "normalised"), not_additive, tolerance, strict,
                       first_row_only = FALSE)
  warn_of_misfit(found$warning, sys.call())
  structure(found$distances, Size = m, Labels = labels, Diag = FALSE, Upper = FALSE,
            method = if (normalised) "rf, normalised" else metric, call = match.call(), class = "dist",
            misfit = found$misfit)
}

# The distances of the first tree to every tree, or those of a dist, and
# each tree's misfit (rows named as the matrices are); the library matches
# the leaves by name where the matrices have names.
compare_all <- function(given, metric, normalised, not_additive, tolerance, strict, first_row_only) {
  names_of <- lapply(seq_along(given), function(k) leaf_names(given[[k]], sprintf("matrix %d", k)))
  found <- library_result(rfc_compare(given, names_of, not_additive == "na", metric, normalised, first_row_only,
                                      checked_tolerance(tolerance), checked_flag(strict, "strict")), given)
  rownames(found$misfit) <- names(given)
  found
}

# The library's warning that some matrix is no tree metric, as R's warning
# of class rfcompare_not_tree_metric.
warn_of_misfit <- function(text, call) {
  if (nzchar(text)) {
    warning(structure(class = c("rfcompare_not_tree_metric", "warning", "condition"),
                      list(message = text, call = call)))
  }
}

checked_flag <- function(value, what) {
  if (!is.logical(value) || length(value) != 1L || is.na(value)) {
    stop(what, " must be TRUE or FALSE")
  }
  value
}

# "absolute", "relative" or one number, which the library checks.
checked_tolerance <- function(tolerance) {
  if (!(is.character(tolerance) || is.numeric(tolerance)) || length(tolerance) != 1L || is.na(tolerance)) {
    stop("tolerance must be absolute, relative or a positive number")
  }
  tolerance <- if (is.numeric(tolerance)) as.double(tolerance) else tolerance
  library_result(rfc_check_tolerance(tolerance))
  tolerance
}

# The library's answer, or its error as R's condition: the one place where
# the library's errors become the package's messages. `given` are the
# matrices the call was given; `subject` names a matrix given alone.
library_result <- function(result, given = NULL, subject = NULL) {
  error <- if (is.list(result)) result$error else NULL
  if (is.null(error)) {
    return(result)
  }
  k <- if (is.null(subject)) error$matrix else 1
  what <- if (!is.null(subject)) subject else sprintf("matrix %d", as.integer(k))
  if (error$kind == "not_additive") {
    stop(structure(class = c("rfcompare_not_additive", "error", "condition"),
                   list(message = paste(what, error$detail), call = NULL, index = as.integer(k))))
  }
  if (error$kind != "bad_argument" || is.na(k)) {
    stop(error$message, call. = FALSE)
  }
  if (!is.na(error$row)) {  # an entry that is not finite, named as R names it, or one that is no distance
    value <- given[[k]][error$row, error$column]
    if (is.finite(value)) {
      stop(sprintf("%s: the entry at row %d, column %d %s", what, as.integer(error$row), as.integer(error$column),
                   error$detail), call. = FALSE)
    }
    stop(sprintf("%s has NA, NaN or infinite entries: the first is %s at row %d, column %d",
                 what, format(value), as.integer(error$row), as.integer(error$column)), call. = FALSE)
  }
  stop(paste0(what, if (startsWith(error$detail, ":")) "" else " ", error$detail), call. = FALSE)
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
  checked
}

# A numeric matrix (a dist object taken as its matrix); the library checks
# its shape and entries.
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
