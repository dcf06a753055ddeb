// The editor's pages as views of the table image: FillPage shows a page's
// table, CollectPage takes it back. Fields are collected in the order the
// page lists them, and every field is parsed even after a rejected one, so
// the operator sees one message per bad field.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPalette>

#include "field_parsers.h"
#include "program_page.h"
#include "ui_unitmenumod.h"
#include "unitmenumod.h"

namespace {

// A stored value outside the list shows no selection.
void Select(QComboBox* list, int position) {
  list->setCurrentIndex(position >= 0 && position < list->count() ? position : -1);
}

// No selection is -1, which a byte slot holds as 255.
uint8_t PositionByte(const QComboBox* list) {
  return static_cast<uint8_t>(list->currentIndex());
}

void ShowDecimal(QLineEdit* field, float value) {
  field->setText(rq30::DecimalText(value));
}

void ShowWhole(QLineEdit* field, long value) {
  field->setText(QString::number(value));
}

// Accumulates the parsers' results: -1 once any field was rejected.
class Verdict {
 public:
  void operator+=(int result) {
    if (result != 0) result_ = -1;
  }
  int Result() const { return result_; }

 private:
  int result_ = 0;
};

}  // namespace

void Tmenu_mod::ColourLowerLimit(int page) {
  QComboBox* mode = page == kAlarm1 ? ui_->cb_rala1 : ui_->cb_rala2;
  QLineEdit* lower = page == kAlarm1 ? ui_->ed_splo1 : ui_->ed_splo2;
  // Only WIN and DWI use a lower limit; the field stays editable and is
  // written in every mode.
  const int position = mode->currentIndex();
  const bool used = position == 2 || position == 3;
  QPalette palette = lower->palette();
  palette.setColor(QPalette::Base, used ? QApplication::palette(lower).color(QPalette::Base)
                                        : QColor(192, 192, 192));
  lower->setPalette(palette);
}

void Tmenu_mod::cb_rala1Change(int) {
  ColourLowerLimit(kAlarm1);
}

void Tmenu_mod::cb_rala2Change(int) {
  ColourLowerLimit(kAlarm2);
}

void Tmenu_mod::FillAlarm(int page) {
  const rq30::AlarmTable& t = page == kAlarm1 ? image_.alarm1 : image_.alarm2;
  const bool one = page == kAlarm1;
  Select(one ? ui_->cb_rala1 : ui_->cb_rala2, t.rala);
  Select(one ? ui_->cb_re1 : ui_->cb_re2, t.rele);
  ShowDecimal(one ? ui_->ed_splo1 : ui_->ed_splo2, t.splo);
  ShowDecimal(one ? ui_->ed_sphi1 : ui_->ed_sphi2, t.sphi);
  ShowDecimal(one ? ui_->ed_hyst1 : ui_->ed_hyst2, t.hyst);
  ColourLowerLimit(page);
}

int Tmenu_mod::CollectAlarm(int page) {
  rq30::AlarmTable& t = page == kAlarm1 ? image_.alarm1 : image_.alarm2;
  const bool one = page == kAlarm1;
  Verdict v;
  v += rq30::ParseDecimalField(one ? ui_->ed_splo1 : ui_->ed_splo2, t.splo);
  v += rq30::ParseDecimalField(one ? ui_->ed_sphi1 : ui_->ed_sphi2, t.sphi);
  v += rq30::ParseDecimalField(one ? ui_->ed_hyst1 : ui_->ed_hyst2, t.hyst);
  t.rala = PositionByte(one ? ui_->cb_rala1 : ui_->cb_rala2);
  t.rele = PositionByte(one ? ui_->cb_re1 : ui_->cb_re2);
  return v.Result();
}

void Tmenu_mod::FillPage(int page) {
  Ui::Tmenu_mod& u = *ui_;
  rq30::TableImage& m = image_;
  switch (page) {
    case kComp:
      if (variant_ == 1) {
        ShowDecimal(u.ed_comp, m.sp);
      } else {
        program_->FillPage();
      }
      break;
    case kAlarm1:
    case kAlarm2:
      FillAlarm(page);
      break;
    case kPid:
      ShowDecimal(u.ed_pb, m.pid.pb);
      ShowDecimal(u.ed_ti, m.pid.intg);
      ShowDecimal(u.ed_td, m.pid.der);
      Select(u.cb_tune, m.pid.tune);
      break;
    case kRego:
      Select(u.cb_type, m.control.type);
      ShowWhole(u.ed_dser, m.control.dser);
      ShowWhole(u.ed_dead, m.control.dead);
      Select(u.cb_f2, m.control.f2);
      // The controller counts sampling steps from 1, the list from 0.
      Select(u.cb_tpid, m.control.tpid - 1);
      ShowWhole(u.ed_ps, m.control.ps);
      ShowWhole(u.ed_per, m.control.per);
      break;
    case kOnOff:
      ShowDecimal(u.ed_phea, m.onoff.phea);
      ShowDecimal(u.ed_pcoo, m.onoff.pcoo);
      ShowDecimal(u.ed_hhea, m.onoff.hhea);
      ShowDecimal(u.ed_hcoo, m.onoff.hcoo);
      Select(u.cb_at, m.onoff.at);
      Select(u.cb_onof_re1, m.onoff.re1);
      Select(u.cb_onof_re2, m.onoff.re2);
      break;
    case kSens:
      // DP only sets the controller's own display; values are never scaled.
      Select(u.cb_sens, m.sensor.type);
      Select(u.cb_dp, m.sensor.dp);
      ShowDecimal(u.ed_strs, m.sensor.strs);
      ShowDecimal(u.ed_ends, m.sensor.ends);
      ShowDecimal(u.ed_offs, m.sensor.offs);
      Select(u.cb_komp, m.sensor.comp);
      break;
    case kDaco:
      Select(u.cb_ain, m.analog.ain);
      Select(u.cb_aout, m.analog.aout);
      ShowDecimal(u.ed_astr, m.analog.astr);
      ShowDecimal(u.ed_aend, m.analog.aend);
      break;
    case kErro:
      Select(u.cb_erro12, m.errorReaction.re12);
      Select(u.cb_erro3, m.errorReaction.re3);
      Select(u.cb_erro4, m.errorReaction.re4);
      Select(u.cb_yout, m.errorReaction.yout);
      break;
    case kOstat:
      ShowDecimal(u.ed_oplo, m.misc.oplo);
      ShowDecimal(u.ed_ophi, m.misc.ophi);
      Select(u.cb_filtr, m.misc.filt);
      ShowWhole(u.ed_pass, m.misc.pass);
      Select(u.cb_loc, m.misc.lock);
      break;
    case kAdd:
      ShowWhole(u.ed_adresa, m.address.address);
      ShowWhole(u.ed_zaznam, m.address.rate);
      break;
    case kGo:
      Select(u.cb_go, m.programStart.go);
      Select(u.cb_pend, m.programStart.pend);
      Select(u.cb_hold, m.programStart.hold);
      Select(u.cb_puc, m.programStart.pcut);
      if (variant_ != 2) {
        ShowWhole(u.ed_godate, m.programStartTime.date);
        ShowWhole(u.ed_gohour, m.programStartTime.hour);
        ShowWhole(u.ed_gomin, m.programStartTime.min);
      }
      break;
    case kTime:
      ShowWhole(u.ed_year, m.clock.year);
      ShowWhole(u.ed_month, m.clock.mont);
      ShowWhole(u.ed_mday, m.clock.mday);
      // Monday is 1 in the controller and the first entry of the list.
      Select(u.cb_wday, m.clock.wday - 1);
      ShowWhole(u.ed_hour, m.clock.hour);
      ShowWhole(u.ed_min, m.clock.min);
      ShowWhole(u.ed_sec, m.clock.sec);
      break;
    default:
      break;
  }
}

int Tmenu_mod::CollectPage(int page) {
  Ui::Tmenu_mod& u = *ui_;
  rq30::TableImage& m = image_;
  Verdict v;
  switch (page) {
    case kComp:
      if (variant_ == 1) {
        v += rq30::ParseDecimalField(u.ed_comp, m.sp);
      } else {
        v += program_->CollectPage();
      }
      break;
    case kAlarm1:
    case kAlarm2:
      v += CollectAlarm(page);
      break;
    case kPid:
      v += rq30::ParseDecimalField(u.ed_pb, m.pid.pb);
      v += rq30::ParseDecimalField(u.ed_ti, m.pid.intg);
      v += rq30::ParseDecimalField(u.ed_td, m.pid.der);
      m.pid.tune = PositionByte(u.cb_tune);
      break;
    case kRego:
      m.control.type = PositionByte(u.cb_type);
      v += rq30::ParseWholeField(u.ed_dser, m.control.dser);
      v += rq30::ParseWholeField(u.ed_dead, m.control.dead);
      m.control.f2 = u.cb_f2->currentIndex();
      m.control.tpid = u.cb_tpid->currentIndex() + 1;
      v += rq30::ParseWholeField(u.ed_ps, m.control.ps);
      v += rq30::ParseWholeField(u.ed_per, m.control.per);
      break;
    case kOnOff:
      v += rq30::ParseDecimalField(u.ed_phea, m.onoff.phea);
      v += rq30::ParseDecimalField(u.ed_pcoo, m.onoff.pcoo);
      v += rq30::ParseDecimalField(u.ed_hhea, m.onoff.hhea);
      v += rq30::ParseDecimalField(u.ed_hcoo, m.onoff.hcoo);
      m.onoff.at = u.cb_at->currentIndex();
      m.onoff.re1 = PositionByte(u.cb_onof_re1);
      m.onoff.re2 = PositionByte(u.cb_onof_re2);
      break;
    case kSens:
      m.sensor.type = PositionByte(u.cb_sens);
      m.sensor.dp = PositionByte(u.cb_dp);
      v += rq30::ParseDecimalField(u.ed_strs, m.sensor.strs);
      v += rq30::ParseDecimalField(u.ed_ends, m.sensor.ends);
      v += rq30::ParseDecimalField(u.ed_offs, m.sensor.offs);
      m.sensor.comp = PositionByte(u.cb_komp);
      break;
    case kDaco:
      m.analog.ain = PositionByte(u.cb_ain);
      m.analog.aout = PositionByte(u.cb_aout);
      v += rq30::ParseDecimalField(u.ed_astr, m.analog.astr);
      v += rq30::ParseDecimalField(u.ed_aend, m.analog.aend);
      break;
    case kErro:
      m.errorReaction.re12 = PositionByte(u.cb_erro12);
      m.errorReaction.re3 = PositionByte(u.cb_erro3);
      m.errorReaction.re4 = PositionByte(u.cb_erro4);
      m.errorReaction.yout = PositionByte(u.cb_yout);
      break;
    case kOstat:
      // The table's reserved byte has no slot: the link always sends it as 0.
      v += rq30::ParseDecimalField(u.ed_oplo, m.misc.oplo);
      v += rq30::ParseDecimalField(u.ed_ophi, m.misc.ophi);
      m.misc.filt = u.cb_filtr->currentIndex();
      v += rq30::ParseWholeField(u.ed_pass, m.misc.pass);
      m.misc.lock = PositionByte(u.cb_loc);
      break;
    case kAdd:
      // No range test: an address of 300 goes out as its low byte, 44.
      v += rq30::ParseWholeField(u.ed_adresa, m.address.address);
      v += rq30::ParseWholeField(u.ed_zaznam, m.address.rate);
      break;
    case kGo:
      m.programStart.go = PositionByte(u.cb_go);
      m.programStart.pend = PositionByte(u.cb_pend);
      m.programStart.hold = PositionByte(u.cb_hold);
      m.programStart.pcut = PositionByte(u.cb_puc);
      if (variant_ != 2) {
        v += rq30::ParseWholeField(u.ed_godate, m.programStartTime.date);
        v += rq30::ParseWholeField(u.ed_gohour, m.programStartTime.hour);
        v += rq30::ParseWholeField(u.ed_gomin, m.programStartTime.min);
      }
      break;
    case kTime:
      v += rq30::ParseWholeField(u.ed_year, m.clock.year);
      v += rq30::ParseWholeField(u.ed_month, m.clock.mont);
      v += rq30::ParseWholeField(u.ed_mday, m.clock.mday);
      m.clock.wday = static_cast<uint8_t>(u.cb_wday->currentIndex() + 1);
      v += rq30::ParseWholeField(u.ed_hour, m.clock.hour);
      v += rq30::ParseWholeField(u.ed_min, m.clock.min);
      v += rq30::ParseWholeField(u.ed_sec, m.clock.sec);
      break;
    default:
      break;
  }
  return v.Result();
}
