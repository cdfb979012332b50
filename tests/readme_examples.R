# The README's R examples run as written, from the project's folder, one
# after another in one session, and print what the README says they print
# (the ```text block that follows an example, where there is one).
#   Rscript tests/readme_examples.R README.md LIBRARY
arguments <- commandArgs(trailingOnly = TRUE)
.libPaths(c(arguments[2], .libPaths()))
setwd(dirname(normalizePath(arguments[1])))
grDevices::pdf(NULL)  # plots go nowhere
lines <- readLines(arguments[1])
fences <- grep("^```", lines)
blocks <- lapply(seq(1, length(fences) - 1, by = 2), function(k) {
  list(tag = sub("^```", "", lines[fences[k]]),
       code = lines[seq_len(fences[k + 1] - fences[k] - 1) + fences[k]])
})
failures <- 0L
for (k in seq_along(blocks)) {
  if (blocks[[k]]$tag != "r") next
  printed <- capture.output(suppressWarnings(
    source(exprs = parse(text = blocks[[k]]$code), echo = FALSE, print.eval = TRUE, local = globalenv())))
  shown <- if (k < length(blocks) && blocks[[k + 1]]$tag == "text") blocks[[k + 1]]$code else NULL
  if (!is.null(shown) && !identical(printed, shown)) {
    failures <- failures + 1L
    cat("README example", k, "printed\n", printed, "\nand the README shows\n", shown, sep = "\n")
  }
}
if (failures > 0L) quit(status = 1)
cat("README R examples: all as shown\n")
