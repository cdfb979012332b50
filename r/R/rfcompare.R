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
  read <- library_result(rfc_read_matrices(path.expand(path), if (is.null(m)) NULL else as.numeric(m), format),
                         call = sys.call())
  if (length(read$names) > 0L) {
    read$matrices <- lapply(read$matrices, function(d) { dimnames(d) <- list(read$names, read$names); d })
  }
  read$matrices
}

rebuild <- function(d, tolerance = "absolute", strict = FALSE, method = "additive") {
  d <- checked_matrix(d, "d")
  labels <- leaf_names(d, "d")
  parts <- library_result(rfc_rebuild(d, checked_tolerance(tolerance), checked_flag(strict, "strict"),
                                      method_word(method)), list(d), "d", sys.call())
  warn_of_misfit(parts$warning, sys.call())
  structure(phylo_of(parts, if (is.null(labels)) as.character(seq_len(nrow(d))) else labels), misfit = parts$misfit)
}

read_trees <- function(path, format = c("auto", "newick", "nexus")) {
  format <- match.arg(format)
  if (!is.character(path) || length(path) < 1L || anyNA(path)) {
    stop("path must be one or more file names")
  }
  read <- library_result(rfc_read_trees(path.expand(path), format), call = sys.call())
  structure(lapply(read$trees, function(parts) phylo_of(parts, parts$tip.label)), class = "multiPhylo")
}

# An ape phylo of the library's parts of a tree.
phylo_of <- function(parts, labels) {
  tree <- list(edge = parts$edge, edge.length = parts$edge.length, Nnode = parts$Nnode, tip.label = labels)
  structure(tree[!vapply(tree, is.null, NA)], class = "phylo", order = "cladewise")
}

first_against_others <- function(matrices, not_additive = c("error", "na"), tolerance = "absolute",
                                 strict = FALSE, metric = c("rf", "wrf", "kf"), normalised = FALSE,
                                 threads = getOption("rfcompare.threads", 0L), normalize = NULL,
                                 method = "additive") {
  not_additive <- match.arg(not_additive)
  metric <- match.arg(metric)
  normalised <- checked_flag(if (is.null(normalize)) normalised else normalize, "normalised")
  given <- matrix_list(matrices)
  found <- compare_all(given, metric, normalised, not_additive, tolerance, strict, threads, sys.call(), rows = "first",
                       method = method)
  warn_of_misfit(found$warning, sys.call())
  result <- found$distances[-1L]
  names(result) <- labels_of(given)[-1L]
  result
}

rf_pairs <- function(matrices, metric = c("rf", "wrf", "kf"), normalised = FALSE,
                     not_additive = c("error", "na"), tolerance = "absolute", strict = FALSE, tree2 = NULL,
                     threads = getOption("rfcompare.threads", 0L), normalize = NULL, method = "additive") {
  metric <- match.arg(metric)
  not_additive <- match.arg(not_additive)
  normalised <- checked_flag(if (is.null(normalize)) normalised else normalize, "normalised")
  given <- matrix_list(matrices)
  m <- count_of(given)
  labels <- if (is.null(labels_of(given))) seq_len(m) else labels_of(given)
  if (!is.null(tree2)) {
    second <- as_list(matrix_list(tree2))
    found <- compare_all(c(as_list(given), second), metric, normalised, not_additive, tolerance, strict, threads, sys.call(),
                         rows = "across", first_set = m, method = method)
    warn_of_misfit(found$warning, sys.call())
    table <- matrix(found$distances, nrow = m, byrow = TRUE,
                    dimnames = list(labels, if (is.null(names(second))) seq_along(second) else names(second)))
    return(with_misfit(table, found$misfit, c(as_list(given), second)))
  }
  found <- compare_all(given, metric, normalised, not_additive, tolerance, strict, threads, sys.call(),
                       rows = "condensed", method = method)
  warn_of_misfit(found$warning, sys.call())
  with_misfit(structure(found$distances, Size = m, Labels = labels, Diag = FALSE, Upper = FALSE,
                        method = if (normalised) "rf, normalised" else metric, call = match.call(), class = "dist"),
              found$misfit, given)
}

# A result with its matrices' misfits, where some tree was rebuilt from a
# matrix: trees given as trees have none.
with_misfit <- function(result, misfit, given) {
  if (!is.array(given) && all(vapply(given, inherits, NA, "phylo"))) {
    return(result)
  }
  structure(result, misfit = misfit)
}

# How many matrices, their names, and matrix k, of a list or an array.
count_of <- function(given) if (is.array(given)) dim(given)[3L] else length(given)
labels_of <- function(given) if (is.array(given)) dimnames(given)[[3L]] else names(given)
matrix_at <- function(given, k) if (is.array(given)) given[, , k] else given[[k]]
as_list <- function(given) if (is.array(given)) lapply(seq_len(count_of(given)), function(k) matrix_at(given, k)) else given

# The distances of the first tree to every tree, or those of a dist, and
# each tree's misfit (rows named as the matrices are); the library matches
# the leaves by name where the matrices have names.
compare_all <- function(given, metric, normalised, not_additive, tolerance, strict, threads, call, rows,
                        first_set = 0, method = "additive") {
  if (!is.numeric(threads) || length(threads) != 1L || is.na(threads) || threads < 0 || threads != round(threads)) {
    stop("threads must be 0 (every core) or a whole number of threads")
  }
  names_of <- if (is.array(given)) list(dimnames(given)[[1L]]) else lapply(seq_along(given), function(k) {
    if (inherits(given[[k]], "phylo")) NULL else leaf_names(given[[k]], sprintf("matrix %d", k))
  })
  found <- library_result(rfc_compare(given, names_of, not_additive == "na", metric, normalised, rows, first_set,
                                      checked_tolerance(tolerance), checked_flag(strict, "strict"), as.double(threads),
                                      method_word(method)),
                          given, call = call)
  rownames(found$misfit) <- labels_of(given)
  found
}

# The library's warning that some matrix is no tree metric, as R's warning
# of class rfcompare_not_tree_metric, with how to ask for trees that do not
# depend on the order of the leaves.
warn_of_misfit <- function(text, call) {
  if (nzchar(text)) {
    warning(structure(class = c("rfcompare_not_tree_metric", "warning", "condition"),
                      list(message = paste0(text, '; method = "nj" builds trees that do not depend on it'),
                           call = call)))
  }
}

# The method as the library reads it: its name, or what was given written out
# (which no method is called), so that the library says what it takes.
method_word <- function(method) {
  if (is.character(method) && length(method) == 1L && !is.na(method)) method else paste(deparse(method), collapse = " ")
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
library_result <- function(result, given = NULL, subject = NULL, call = NULL) {
  error <- if (is.list(result)) result$error else NULL
  if (is.null(error)) {
    return(result)
  }
  k <- if (is.null(subject)) error$matrix else 1
  what <- if (!is.null(subject)) subject else sprintf("matrix %d", as.integer(k))
  if (error$kind == "not_additive") {
    stop(structure(class = c("rfcompare_not_additive", "error", "condition"),
                   list(message = paste(what, error$detail), call = call, index = as.integer(k))))
  }
  if (error$kind != "bad_argument" || is.na(k)) {
    stop(simpleError(error$message, call))
  }
  if (!is.na(error$row)) {  # an entry that is not finite, named as R names it, or one that is no distance
    value <- matrix_at(given, k)[error$row, error$column]
    if (is.finite(value)) {
      stop(simpleError(sprintf("%s: the entry at row %d, column %d %s", what, as.integer(error$row),
                               as.integer(error$column), error$detail), call))
    }
    stop(simpleError(sprintf("%s has NA, NaN or infinite entries: the first is %s at row %d, column %d",
                             what, format(value), as.integer(error$row), as.integer(error$column)), call))
  }
  stop(simpleError(paste0(what, if (startsWith(error$detail, ":")) "" else " ", error$detail), call))
}

# A list of checked matrices and trees from a list (of matrices, dist
# objects and phylo trees), a multiPhylo or a phylo; or an array with dim
# c(n, n, m) as it is.
matrix_list <- function(matrices) {
  if (inherits(matrices, "phylo")) {
    matrices <- list(matrices)
  }
  if (inherits(matrices, "multiPhylo")) {
    matrices <- lapply(seq_along(matrices), function(k) matrices[[k]])  # [[ restores compressed tip labels
  }
  if (is.array(matrices) && length(dim(matrices)) == 3L) {
    names_of <- dimnames(matrices)
    if (!is.null(names_of[[1L]])) {
      warning(structure(class = c("rfcompare_shared_names", "warning", "condition"), list(
        message = paste("the array's matrices all take its one set of row and column names: matrices whose leaves",
                        "came in orders of their own (cophenetic() of different trees, put together by",
                        "simplify2array) are compared wrongly; give them as a list"),
        call = sys.call(-1L))))
    }
    if (!is.numeric(matrices)) {
      stop("matrices is not numeric: it holds ", typeof(matrices), " values")
    }
    if (dim(matrices)[3L] == 0L) {
      stop("no matrix given")
    }
    if (!is.double(matrices)) {  # only then: a changed copy of a double array is a wrapper, copied again when read
      storage.mode(matrices) <- "double"
    }
    return(matrices)  # read in place by the library, not copied matrix by matrix
  } else if (is.list(matrices) && !is.data.frame(matrices)) {
    given <- matrices
  } else {
    stop("matrices must be a list of matrices or trees, a multiPhylo, or an array with dim c(n, n, m)")
  }
  if (length(given) == 0L) {
    stop("no matrix given")
  }
  checked <- lapply(seq_along(given), function(k) {
    if (inherits(given[[k]], "phylo")) given[[k]] else checked_matrix(given[[k]], sprintf("matrix %d", k))
  })
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
