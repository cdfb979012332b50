# An interrupt (Ctrl-C, or SIGINT from elsewhere) stops a long call within
# half a second, whether the trees are being rebuilt or compared, as R's
# own interrupt condition.

test_that("an interrupt stops a long rf_pairs() within half a second", {
  skip_on_cran()
  skip_if(.Platform$OS.type != "unix", "sends SIGINT with a shell")
  set.seed(9)
  n <- 60
  families <- lapply(ape::rmtree(2, n), ape::cophenetic.phylo)
  matrices <- lapply(seq_len(7000), function(k) {  # long lists of shared splits
    order <- seq_len(n)
    swap <- sample(2:n, 2)
    order[swap] <- order[rev(swap)]
    families[[1 + k %% 2]][order, order]
  })
  whole <- min(replicate(2, system.time(rf_pairs(matrices))[["elapsed"]]))
  for (delay in c(0.02, whole / 3)) {
    sent <- tempfile()
    system(sprintf("(sleep %f; date +%%s.%%N > %s; kill -INT %d) >/dev/null 2>&1 &", delay, sent, Sys.getpid()))
    stopped <- tryCatch({
      rf_pairs(matrices)
      NA
    }, interrupt = function(e) as.numeric(Sys.time()))
    if (is.na(stopped)) {  # not stopped: let the interrupt come before failing
      tryCatch(Sys.sleep(delay + 2), interrupt = function(e) NULL)
    }
    expect_false(is.na(stopped), info = sprintf("interrupted after %.2f s of %.2f s", delay, whole))
    expect_lt(stopped - as.numeric(readLines(sent)), 0.5)
  }
})
