// rf_compare as a library: read matrix files, rebuild the tree of an
// additive distance matrix, and compare many trees with each other, as the
// programs rf_compare and rf_pairs do and with the same results. Plain C++
// types throughout, for programs and language bindings alike:
//
//   rf_compare::TreeSet set;
//   rf_compare::MatrixReader reader("trees.txt");
//   set.add_all(reader);
//   const rf_compare::TreeTable table = set.finish();
//   std::vector<double> cells(table.cells({}));
//   table.distances({rf_compare::Metric::kf}, cells);
//
// Each header states what may be shared between threads; every function
// throws rf_compare::Error and nothing else.
#pragma once

#include "rf_compare/error.hpp"
#include "rf_compare/file_format.hpp"
#include "rf_compare/matrix_reader.hpp"
#include "rf_compare/matrix_view.hpp"
#include "rf_compare/metric.hpp"
#include "rf_compare/misfit.hpp"
#include "rf_compare/rebuild_method.hpp"
#include "rf_compare/tolerance.hpp"
#include "rf_compare/tree.hpp"
#include "rf_compare/tree_reader.hpp"
#include "rf_compare/tree_set.hpp"
#include "rf_compare/tree_table.hpp"
#include "rf_compare/version.hpp"
