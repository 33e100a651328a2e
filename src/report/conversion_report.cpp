#include "report/conversion_report.h"

#include <algorithm>
#include <tuple>

namespace ambrix::report {

void TConversionReport::Sort() {
  for (TReportObject& object : Objects)
    std::stable_sort(object.Warnings.begin(), object.Warnings.end(), [](const TReportWarning& a, const TReportWarning& b) {
      return std::tie(a.Line, a.Column, a.Kind, a.Word) < std::tie(b.Line, b.Column, b.Kind, b.Word);
    });
  // Two objects of one type and parent never share a name; the source only
  // settles what an input holding duplicates would leave open.
  std::stable_sort(Objects.begin(), Objects.end(), [](const TReportObject& a, const TReportObject& b) {
    return std::tie(a.TypeOrder, a.Type, a.Parent, a.Name, a.Source) <
           std::tie(b.TypeOrder, b.Type, b.Parent, b.Name, b.Source);
  });
  std::stable_sort(Batches.begin(), Batches.end(), [](const TReportBatchFailure& a, const TReportBatchFailure& b) {
    return std::tie(a.File, a.Line) < std::tie(b.File, b.Line);
  });
}

std::vector<TTypeTotals> TConversionReport::Totals() const {
  std::vector<TTypeTotals> totals;
  TTypeTotals all;
  auto count = [](TTypeTotals& t, const TReportObject& object) {
    ++t.Found;
    t.Converted += object.State == TObjectState::Converted;
    t.Failed += object.State == TObjectState::Failed;
    t.WithWarnings += !object.Warnings.empty();
    t.Warnings += static_cast<int>(object.Warnings.size());
  };
  for (const TReportObject& object : Objects) {
    auto it = std::find_if(totals.begin(), totals.end(), [&](const TTypeTotals& t) { return t.Type == object.Type; });
    if (it == totals.end()) {
      totals.push_back({object.Type});
      it = totals.end() - 1;
    }
    count(*it, object);
    count(all, object);
  }
  totals.push_back(all);
  return totals;
}

}  // namespace ambrix::report
