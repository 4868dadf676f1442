// A context with the field table and settings buffers of the field tests, with short
// setters for the settings the computed judge items read.
#pragma once

#include "field_fixture.h"
#include "fields/field_access.h"
#include "field_ids.h"
#include "fields/judge_items.h"

namespace kovatest {

class JudgeContext {
 public:
  DriverContext* get() { return base_.get(); }
  void Set(WORD id, DWORD value) { WriteFieldRawById(base_.get(), id, value); }
  DWORD Get(WORD id) { return ReadFieldRawById(base_.get(), id); }
  DWORD Item(WORD id) { return ComputeJudgeItem(base_.get(), id); }
  FieldContext& base() { return base_; }

  // The effective paper (an output paper below 1024 stands for itself).
  void Paper(DWORD paper) { Set(fid::kdmOutPaperSize, paper); }
  // Tray 1 as the main source, holding the paper set portrait (0) or landscape (1).
  void MainTray1(DWORD paper, DWORD orientation) {
    Set(fid::dmDefaultSource, 1);
    Set(fid::kdmTray1Paper, paper);
    Set(fid::kdmTrayOrient0, orientation);
  }

 private:
  FieldContext base_;
};

}  // namespace kovatest
