// The command tables and the pictures of their buttons.

#include "app/Actions.h"

#include "app/MainForm.h"
#include "figures/FigureFamily.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>

namespace {

using E = TActionEffect;
using M = TMainForm;

// Drawing a figure family: the family whose descriptor names the action
// gives the class; with none registered yet the command stays disabled.
TActionDef Tool(const char* Name, const char* Caption, const char* Hint) {
  return {Name, Caption, Hint, "", E::Tool};
}
TActionDef Op(const char* Name, const char* Caption, const char* Hint, TOperationMode Mode) {
  return {Name, Caption, Hint, "", E::Operation, Mode};
}
TActionDef Cmd(const char* Name, const char* Caption, const char* Hint, const char* Key, TMainFormCommand Command) {
  return {Name, Caption, Hint, Key, E::Command, omNormal, Command};
}
// A command whose figures or subsystem are not in the program yet.
TActionDef Later(const char* Name, const char* Caption, const char* Hint, const char* Key = "") {
  return {Name, Caption, Hint, Key, E::Command, omNormal, &M::MissingExecute, true};
}

}  // namespace

const std::vector<TActionDef>& ActionTable() {
  static const std::vector<TActionDef> table = {
      Tool("A_MLine", "折线", "折线"),
      Tool("A_Bezier", "样条曲线", "样条曲线"),
      Tool("A_Rect", "矩形", "矩形"),
      Tool("A_Circle", "圆", "圆"),
      Tool("A_Polygon", "多边形", "多边形"),
      Tool("A_Arc", "弧线", "弧线"),
      Tool("A_Ellipse", "椭圆", "椭圆"),
      Tool("A_CirPart", "弦形", "弦形"),
      Tool("A_Edit", "编辑框", "编辑框"),
      Tool("A_Memo", "文本框", "文本框"),
      // Embedded objects are kept in drawings but cannot be created here.
      Later("A_Ole", "Ole对象", "Ole对象"),
      Later("A_Item", "图块", "元件"),
      Cmd("A_new", "新建(&N)", "新建", "Ctrl+N", &M::NewExecute),
      Cmd("A_Open", "打开(&O)", "打开", "Ctrl+O", &M::OpenExecute),
      Cmd("A_Save", "保存(&S)", "保存", "Ctrl+S", &M::SaveExecute),
      Cmd("A_Exit", "退出(&X)", "退出应用程序", "", &M::ExitExecute),
      Cmd("A_Cut", "剪切(&T)", "剪切", "Ctrl+X", &M::CutExecute),
      Cmd("A_Copy", "复制(&C)", "复制", "Ctrl+C", &M::CopyExecute),
      Cmd("A_Paste", "粘贴(&P)", "粘贴", "Ctrl+V", &M::PasteExecute),
      Tool("A_RoundRect", "圆角矩形", "圆角矩形"),
      Tool("A_XLabel", "斜文本", "标签"),
      Tool("A_TextLine", "字线", "字线"),
      Tool("A_Tadiao", "塔吊", "塔吊"),
      Tool("A_RectArc", "杆形", "杆形"),
      Tool("A_Point", "点", "点"),
      Cmd("A_Scale", "缩放比例", "缩放比例", "", &M::ScaleExecute),
      Op("A_Move", "移动(&M)", "移动", omMove),
      Op("A_Rotate", "旋转(&R)", "旋转", omRotate),
      Cmd("A_Properties", "属性(&P)...", "属性", "", &M::PropertiesExecute),
      Cmd("A_Print", "打印(&P)", "打印", "Ctrl+P", &M::PrintExecute),
      Cmd("A_Explode", "炸开(&X)", "炸开", "", &M::ExplodeExecute),
      Op("A_AddPoint", "增加端点(&A)", "增加端点", omRealTimeAddPoint),
      Op("A_DeletePoint", "删除端点(&D)", "删除端点", omRealTimeDeletePoint),
      Cmd("A_PrintPreview", "打印预览(&V)", "打印预览", "", &M::PrintPreviewExecute),
      Cmd("A_Undo", "撤消(&Z)", "撤消", "Ctrl+Z", &M::UndoExecute),
      Cmd("A_Redo", "恢复(&Y)", "恢复", "Ctrl+Y", &M::RedoExecute),
      Tool("A_ZPolygon", "正多边形", "正多边形"),
      Cmd("A_Offset", "偏移", "偏移", "", &M::OffsetExecute),
      Cmd("A_MoveCopy", "平移拷贝", "平移拷贝", "", &M::MoveCopyExecute),
      Cmd("A_Close", "关闭(&C)", "关闭当前工程", "", &M::CloseExecute),
      Tool("A_ArrowLine", "箭头线", "箭头线"),
      Tool("A_DxLine", "电讯线", "电讯线"),
      Tool("A_DLine", "电线", "电线"),
      Tool("A_DoubleLine", "双线", "双线"),
      Tool("A_Dimension", "引出线", "引出线"),
      Tool("A_PenLine", "自由曲线", "自由曲线"),
      Tool("A_ConstructionLine", "边缘线", "边缘线"),
      Tool("A_BzLine", "标注", "标注"),
      Cmd("A_MakeBlock", "生成图块", "生成图块", "", &M::MakeBlockExecute),
      Cmd("A_Picture", "图片(&P)", "插入图片", "", &M::PictureExecute),
      Cmd("A_Delete", "删除(&D)", "删除", "Del", &M::DeleteExecute),
      Op("A_PanRealTime", "实时移动(&P)", "实时移动", omPanRealTime),
      Op("A_ZoomRealTime", "实时缩放(&Z)", "实时缩放", omZoomRealTime),
      Op("A_ZoomWindow", "缩放窗口(&W)", "缩放窗口", omZoomWindow),
      Cmd("A_ZoomExtends", "满屏显示(&X)", "满屏显示", "", &M::ZoomExtendsExecute),
      Cmd("A_ZoomPrevious", "恢复前一缩放比例(&V)", "恢复前一缩放比例", "", &M::ZoomPreviousExecute),
      Tool("A_TrailLine", "铁路线", "铁路线"),
      Tool("A_Chord", "扇形", "扇形"),
      Cmd("A_CopyObject", "复制图形", "复制图形", "", &M::CopyObjectExecute),
      Cmd("A_MoveObject", "平移", "平移", "", &M::MoveObjectExecute),
      Cmd("A_BlockForge", "元件编辑器(&T)", "打开元件编辑器", "", &M::BlockForgeExecute),
      // The menu item "导航器" gives the action its F10.
      Cmd("A_Arial", "导航器(&A)", "导航器", "F10", &M::ArialExecute),
  };
  return table;
}

const std::vector<TActionDef>& MenuItemTable() {
  static const std::vector<TActionDef> table = {
      Cmd("mi_FileSaveAs", "另存为(&A)...", "另存为", "", &M::SaveAsExecute),
      Cmd("mi_FileProperties", "图形属性(&I)", "图形属性", "", &M::FilePropertiesExecute),
      Cmd("mi_EditCopyPicture", "复制图片", "复制图片", "Ctrl+Alt+C", &M::CopyPictureExecute),
      Cmd("mi_EditCopyOuterPicture", "复制外部图片", "复制外部图片", "", &M::CopyOuterPictureExecute),
      Cmd("mi_EditPastePicture", "粘贴图片", "粘贴图片", "Ctrl+Alt+V", &M::PastePictureExecute),
      Cmd("mi_EditSelectAll", "全选(&A)", "全选", "Ctrl+A", &M::SelectAllExecute),
      Cmd("mi_ViewNormal", "常用", "常用工具栏", "", &M::ViewNormalExecute),
      Cmd("mi_ViewDraw1", "绘图1", "绘图工具栏1", "", &M::ViewDraw1Execute),
      Cmd("mi_ViewDraw2", "绘图2", "绘图工具栏2", "", &M::ViewDraw2Execute),
      Cmd("mi_ViewOperate", "操作", "操作工具栏", "", &M::ViewOperateExecute),
      Cmd("mi_ViewRefresh", "刷新(&R)", "刷新", "F5", &M::RefreshExecute),
      Cmd("mi_InsertChileFigureSet", "子图形(&C)", "子图形", "", &M::InsertChildFigureSetExecute),
      Cmd("mi_InsertPlotter", "来自扫描仪(&S)...", "来自扫描仪", "", &M::ScannerExecute),
      Cmd("mi_ToolOptions", "环境选项(&E)...", "环境选项", "", &M::ToolOptionsExecute),
      Cmd("mi_ToolCapture", "端点捕捉选项(&C)...", "端点捕捉选项", "", &M::ToolCaptureExecute),
      Cmd("mi_ToolIndex", "索引(&I)", "索引", "F9", &M::IndexExecute),
      Cmd("mi_WindowCascade", "层叠(&C)", "层叠", "", &M::WindowCascadeExecute),
      Cmd("mi_WindowTile", "平铺(&T)", "平铺", "", &M::WindowTileExecute),
      Cmd("mi_WindowArrangeIcons", "排列图标(&A)", "排列图标", "", &M::WindowArrangeExecute),
      Cmd("mi_WindowMinimize", "最小化全部窗口(&M)", "最小化全部窗口", "", &M::WindowMinimizeExecute),
      Cmd("mi_HelpIndex", "目录与索引(&I)", "目录与索引", "", &M::HelpIndexExecute),
      Cmd("HelpAboutItem", "关于(&A)", "关于", "", &M::AboutExecute),
  };
  return table;
}

const std::vector<TActionDef>& ToolButtonTable() {
  static const std::vector<TActionDef> table = {
      Later("TB_LayerManager", "图层", "图层编辑器"),
      Cmd("TB_Array", "阵列", "阵列", "", &M::ArrayExecute),
      Cmd("TB_Mirror", "镜像", "镜像", "", &M::MirrorExecute),
      Cmd("TB_Pen", "线型", "线条样式", "", &M::PenStyleExecute),
      Cmd("TB_Fill", "填充", "填充", "", &M::FillExecute),
      Cmd("TB_Font", "字体", "字体 ", "", &M::FontExecute),
      Cmd("TB_LineWidth", "线宽", "线宽", "", &M::LineWidthExecute),
      // The colour buttons act through their drop-down palettes.
      Cmd("TB_PenColor", "线条颜色", "线条颜色", "", nullptr),
      Cmd("TB_FillColor", "填充颜色", "填充颜色", "", nullptr),
      Cmd("TB_FontColor", "文字颜色", "文字颜色", "", nullptr),
      Later("TB_Union", "相并", "相并"),
      Later("TB_Subtract", "相减", "相减"),
      Later("TB_Intersect", "相交", "相交"),
      Cmd("TB_EditEnd", "结束", "结束", "", &M::EditEndExecute),
  };
  return table;
}

const TActionDef* FindActionDef(std::string_view Name) {
  for (const auto* table : {&ActionTable(), &MenuItemTable(), &ToolButtonTable()})
    for (const TActionDef& d : *table)
      if (Name == d.Name) return &d;
  return nullptr;
}

const std::vector<TMenuNode>& MainMenuLayout() {
  static const std::vector<TMenuNode> menus = {
      {"File", "文件(&F)",
       {{"A_new"}, {"A_Open"}, {"A_Close"}, {"-"}, {"A_Save"}, {"mi_FileSaveAs"}, {"MRU"}, {"A_PrintPreview"},
        {"A_Print"}, {"-"}, {"mi_FileProperties"}, {"-"}, {"A_Exit"}}},
      {"Edit", "编辑(&E)",
       {{"A_Undo"}, {"A_Redo"}, {"-"}, {"A_Cut"}, {"A_Copy"}, {"A_Paste"}, {"-"}, {"mi_EditCopyPicture"},
        {"mi_EditCopyOuterPicture"}, {"mi_EditPastePicture"}, {"-"}, {"A_Delete"}, {"-"}, {"mi_EditSelectAll"}}},
      {"View", "视图(&V)",
       {{"A_PanRealTime"}, {"-"}, {"A_ZoomRealTime"}, {"A_ZoomWindow"}, {"A_ZoomExtends"}, {"-"}, {"A_ZoomPrevious"},
        {"-"}, {"ToolBars", "工具栏(&T)", {{"mi_ViewNormal"}, {"mi_ViewDraw1"}, {"mi_ViewDraw2"}, {"mi_ViewOperate"}}},
        {"-"}, {"mi_ViewRefresh"}}},
      {"Insert", "插入(&I)",
       {{"mi_InsertChileFigureSet"}, {"-"}, {"A_Item", "图块(&B)"}, {"-"},
        {"Picture", "图片(&P)", {{"A_Picture", "来自文件(&F)..."}, {"mi_InsertPlotter"}}}, {"-"},
        {"A_Ole", "Ole对象(&O)"}}},
      {"Draw", "绘图(&D)",
       {{"A_Point"}, {"-"},
        {"Lines", "线",
         {{"A_MLine"}, {"A_ArrowLine"}, {"A_Bezier"}, {"A_Arc"}, {"A_DxLine"}, {"A_TrailLine"}, {"A_DLine"},
          {"A_DoubleLine"}, {"A_TextLine"}, {"A_Dimension"}, {"A_PenLine"}, {"A_ConstructionLine"}, {"A_BzLine"}}},
        {"-"}, {"A_Rect"}, {"A_Circle"}, {"A_RoundRect"}, {"A_Polygon"}, {"A_ZPolygon"}, {"A_Ellipse"},
        {"A_CirPart"}, {"A_Chord"}, {"A_RectArc"}, {"-"}, {"A_XLabel"}, {"-"}, {"A_Edit"}, {"A_Memo"}, {"-"},
        {"A_Tadiao"}}},
      {"Modify", "修改(&M)",
       {{"A_Properties"}, {"-"}, {"A_Move"}, {"A_Rotate"}, {"-"}, {"A_CopyObject"}, {"A_Offset"}, {"A_MoveCopy"},
        {"A_MoveObject"}, {"-"}, {"A_Scale"}, {"-"}, {"A_AddPoint"}, {"A_DeletePoint"}, {"-"}, {"A_MakeBlock"},
        {"A_Explode"}}},
      {"Tools", "工具(&T)",
       {{"mi_ToolOptions"}, {"mi_ToolCapture"}, {"-"}, {"mi_ToolIndex"}, {"A_Arial"}, {"-"}, {"A_BlockForge"}}},
      {"Window", "窗口(&W)",
       {{"mi_WindowCascade"}, {"mi_WindowTile"}, {"mi_WindowArrangeIcons"}, {"mi_WindowMinimize"}, {"WindowList"}}},
      {"Help", "帮助(&H)", {{"mi_HelpIndex"}, {"-"}, {"HelpAboutItem"}}},
  };
  return menus;
}

const std::vector<TToolBarDef>& ToolBarLayout() {
  static const std::vector<TToolBarDef> bars = {
      {"ToolBar1", "常用工具栏", Qt::TopToolBarArea,
       {"A_new", "A_Open", "A_Save", "A_Close", "|", "A_Cut", "A_Copy", "A_Paste", "|", "A_Undo", "A_Redo", "|",
        "A_Print", "A_PrintPreview", "|", "TB_LayerManager", "A_Arial", "A_Properties", "|", "A_PanRealTime",
        "A_ZoomRealTime", "A_ZoomWindow", "A_ZoomExtends", "A_ZoomPrevious", "|", "A_BlockForge", "|", "A_Exit"}},
      {"ToolBar2", "绘图工具栏1", Qt::LeftToolBarArea,
       {"A_MLine", "A_DxLine", "A_DLine", "A_TrailLine", "A_DoubleLine", "A_TextLine", "A_Dimension", "A_PenLine",
        "A_ArrowLine", "A_Arc", "A_Bezier", "A_ConstructionLine", "A_BzLine", "A_Item", "A_Picture"}},
      {"ToolBar3", "绘图工具栏2", Qt::RightToolBarArea,
       {"A_Point", "A_Rect", "A_Circle", "A_RoundRect", "A_Polygon", "A_ZPolygon", "A_Ellipse", "A_CirPart",
        "A_Chord", "A_RectArc", "A_XLabel", "A_Edit", "A_Memo", "A_Tadiao", "A_Ole"}},
      {"ToolBar4", "操作工具栏", Qt::BottomToolBarArea,
       {"A_Delete", "A_Move", "A_Rotate", "A_CopyObject", "A_Offset", "A_MoveCopy", "A_MoveObject", "|", "A_Scale",
        "TB_Array", "TB_Mirror", "|", "A_AddPoint", "A_DeletePoint", "|", "TB_PenColor", "TB_FillColor",
        "TB_FontColor", "TB_Pen", "TB_Fill", "TB_Font", "TB_LineWidth", "TB_Union", "TB_Subtract", "TB_Intersect",
        "|", "TB_EditEnd"}},
  };
  return bars;
}

const char* ToolBarHint(std::string_view Name) { return Name == "A_Item" ? "插入图块" : nullptr; }

// ---- pictures

namespace {

constexpr int kIcon = 24;

QPixmap Blank() {
  QPixmap pm(kIcon, kIcon);
  pm.fill(Qt::transparent);
  return pm;
}

void Arrow(QPainter& p, QPointF From, QPointF To) {
  p.drawLine(From, To);
  const double a = std::atan2(To.y() - From.y(), To.x() - From.x());
  const double l = 6, w = 0.45;
  QPolygonF head;
  head << To << QPointF(To.x() - l * std::cos(a - w), To.y() - l * std::sin(a - w))
       << QPointF(To.x() - l * std::cos(a + w), To.y() - l * std::sin(a + w));
  p.save();
  p.setBrush(p.pen().color());
  p.drawPolygon(head);
  p.restore();
}

void Magnifier(QPainter& p) {
  p.drawEllipse(QRectF(3, 3, 12, 12));
  p.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(14, 14), QPointF(20, 20));
  p.setPen(QPen(Qt::black, 1.5));
}

void RegularPolygon(QPainter& p, int N, double R) {
  QPolygonF poly;
  for (int i = 0; i < N; ++i) {
    const double a = -M_PI / 2 + 2 * M_PI * i / N;
    poly << QPointF(12 + R * std::cos(a), 12 + R * std::sin(a));
  }
  p.drawPolygon(poly);
}

// The families' button pictures, drawn with the same pen as the others.
class TPainterSketch final : public TIconSketch {
public:
  TPainterSketch(QPainter& P, QColor Ink) : p(P), ink(Ink) {}
  void Line(double X1, double Y1, double X2, double Y2) override { p.drawLine(QPointF(X1, Y1), QPointF(X2, Y2)); }
  void Polyline(Pts Points) override { p.drawPolyline(Poly(Points)); }
  void Polygon(Pts Points) override { p.drawPolygon(Poly(Points)); }
  void Rect(double X, double Y, double W, double H) override { p.drawRect(QRectF(X, Y, W, H)); }
  void RoundRect(double X, double Y, double W, double H, double R) override {
    p.drawRoundedRect(QRectF(X, Y, W, H), R, R);
  }
  void Ellipse(double X, double Y, double W, double H) override { p.drawEllipse(QRectF(X, Y, W, H)); }
  void Arc(double X, double Y, double W, double H, double Start, double Span) override {
    p.drawArc(QRectF(X, Y, W, H), int(std::lround(Start * 16)), int(std::lround(Span * 16)));
  }
  void Curve(std::pair<double, double> From, Pts Controls) override {
    QPainterPath path(QPointF(From.first, From.second));
    std::vector<QPointF> c;
    for (auto [x, y] : Controls) c.emplace_back(x, y);
    for (std::size_t i = 0; i + 2 < c.size(); i += 3) path.cubicTo(c[i], c[i + 1], c[i + 2]);
    p.drawPath(path);
  }
  void Text(double X, double Y, double W, double H, std::string_view Utf8, int PointSize, bool Bold,
            double Angle) override {
    p.save();
    p.setFont(QFont(p.font().family(), PointSize, Bold ? QFont::Bold : QFont::Normal));
    const QRectF box(X, Y, W, H);
    p.translate(box.center());
    p.rotate(-Angle);
    p.drawText(box.translated(-box.center()), Qt::AlignCenter,
               QString::fromUtf8(Utf8.data(), qsizetype(Utf8.size())));
    p.restore();
  }
  void Pen(double Width, bool Dashed) override { p.setPen(QPen(ink, Width, Dashed ? Qt::DashLine : Qt::SolidLine)); }
  void Fill(bool Filled) override { p.setBrush(Filled ? QBrush(ink) : QBrush()); }

private:
  static QPolygonF Poly(Pts Points) {
    QPolygonF poly;
    for (auto [x, y] : Points) poly << QPointF(x, y);
    return poly;
  }
  QPainter& p;
  QColor ink;
};

// False when no picture is drawn for Name.
bool Draw(QPainter& p, std::string_view n) {
  const QColor ink(0, 0, 128);
  p.setPen(QPen(ink, 1.5));
  if (const TFigureFamily* family = FamilyOfAction(n); family && family->PaintIcon) {
    TPainterSketch sketch(p, ink);
    family->PaintIcon(sketch);
    return true;
  }
  if (n == "A_MLine") {
    p.drawPolyline(QPolygonF({{3, 19}, {9, 7}, {15, 16}, {21, 4}}));
  } else if (n == "A_Bezier") {
    QPainterPath path({3, 19});
    path.cubicTo({8, 0}, {16, 26}, {21, 5});
    p.drawPath(path);
  } else if (n == "A_Arc") {
    p.drawArc(QRectF(3, 5, 18, 18), 20 * 16, 140 * 16);
  } else if (n == "A_PenLine") {
    QPainterPath path({3, 14});
    path.cubicTo({6, 4}, {9, 22}, {12, 12});
    path.cubicTo({15, 4}, {18, 20}, {21, 9});
    p.drawPath(path);
  } else if (n == "A_DoubleLine") {
    p.drawLine(QPointF(3, 9), QPointF(21, 9));
    p.drawLine(QPointF(3, 15), QPointF(21, 15));
  } else if (n == "A_TrailLine") {
    p.drawLine(QPointF(3, 12), QPointF(21, 12));
    for (int x = 5; x <= 19; x += 4) p.drawLine(QPointF(x, 8), QPointF(x, 16));
  } else if (n == "A_DLine") {
    p.drawLine(QPointF(3, 12), QPointF(21, 12));
    p.drawEllipse(QRectF(9, 9, 6, 6));
  } else if (n == "A_DxLine") {
    p.drawLine(QPointF(3, 12), QPointF(21, 12));
    p.drawLine(QPointF(9, 8), QPointF(9, 16));
    p.drawLine(QPointF(15, 8), QPointF(15, 16));
  } else if (n == "A_Dimension") {
    p.drawPolyline(QPolygonF({{3, 20}, {11, 8}, {21, 8}}));
    p.setBrush(ink);
    p.drawEllipse(QRectF(1.5, 18.5, 3, 3));
  } else if (n == "A_Rect") {
    p.drawRect(QRectF(4, 6, 16, 12));
  } else if (n == "A_RoundRect") {
    p.drawRoundedRect(QRectF(4, 6, 16, 12), 4, 4);
  } else if (n == "A_Circle") {
    p.drawEllipse(QRectF(4, 4, 16, 16));
  } else if (n == "A_Ellipse") {
    p.drawEllipse(QRectF(2, 7, 20, 11));
  } else if (n == "A_Polygon") {
    p.drawPolygon(QPolygonF({{3, 18}, {7, 5}, {15, 9}, {21, 4}, {19, 20}}));
  } else if (n == "A_ZPolygon") {
    RegularPolygon(p, 6, 9);
  } else if (n == "A_CirPart") {
    p.drawChord(QRectF(3, 3, 18, 18), 30 * 16, 200 * 16);
  } else if (n == "A_Chord") {
    p.drawPie(QRectF(3, 3, 18, 18), 30 * 16, 110 * 16);
  } else if (n == "A_RectArc") {
    p.drawRoundedRect(QRectF(2, 9, 20, 7), 3.5, 3.5);
  } else if (n == "A_XLabel") {
    p.setFont(QFont(p.font().family(), 12, QFont::Bold));
    p.translate(12, 12);
    p.rotate(-30);
    p.drawText(QRectF(-12, -12, 24, 24), Qt::AlignCenter, "A");
  } else if (n == "A_TextLine") {
    p.drawLine(QPointF(2, 18), QPointF(22, 18));
    p.setFont(QFont(p.font().family(), 8));
    p.drawText(QRectF(0, 2, 24, 15), Qt::AlignCenter, "ab");
  } else if (n == "A_Edit" || n == "A_Memo") {
    p.drawRect(QRectF(3, 5, 18, 14));
    for (int y = 9; y <= (n == "A_Memo" ? 15 : 9); y += 3) p.drawLine(QPointF(6, y), QPointF(18, y));
  } else if (n == "A_new") {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({{5, 2}, {15, 2}, {19, 6}, {19, 22}, {5, 22}}));
  } else if (n == "A_Open") {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(240, 200, 80));
    p.drawPolygon(QPolygonF({{2, 6}, {9, 6}, {11, 8}, {21, 8}, {21, 20}, {2, 20}}));
  } else if (n == "A_Save") {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(60, 90, 160));
    p.drawRect(QRectF(3, 3, 18, 18));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7, 3, 10, 7));
  } else if (n == "A_Undo" || n == "A_Redo") {
    const bool undo = n == "A_Undo";
    p.scale(undo ? 1 : -1, 1);
    if (!undo) p.translate(-24, 0);
    p.drawArc(QRectF(5, 6, 14, 12), 90 * 16, -200 * 16);
    Arrow(p, {13, 6}, {5, 6});
  } else if (n == "A_ZoomExtends" || n == "A_ZoomWindow" || n == "A_ZoomRealTime" || n == "A_ZoomPrevious") {
    Magnifier(p);
    const char* mark = n == "A_ZoomExtends" ? "全" : n == "A_ZoomWindow" ? "口" : n == "A_ZoomRealTime" ? "±" : "<";
    p.setFont(QFont(p.font().family(), 6));
    p.drawText(QRectF(3, 3, 12, 12), Qt::AlignCenter, QString::fromUtf8(mark));
  } else if (n == "A_PanRealTime" || n == "A_Move") {
    Arrow(p, {12, 12}, {12, 2});
    Arrow(p, {12, 12}, {12, 22});
    Arrow(p, {12, 12}, {2, 12});
    Arrow(p, {12, 12}, {22, 12});
  } else if (n == "A_Rotate") {
    p.drawArc(QRectF(4, 4, 16, 16), 0, 270 * 16);
    Arrow(p, {20, 15}, {20, 11});
  } else if (n == "A_Delete") {
    p.setPen(QPen(QColor(200, 0, 0), 2.5));
    p.drawLine(QPointF(5, 5), QPointF(19, 19));
    p.drawLine(QPointF(19, 5), QPointF(5, 19));
  } else if (n == "TB_Mirror") {
    p.setPen(QPen(ink, 1, Qt::DashLine));
    p.drawLine(QPointF(12, 2), QPointF(12, 22));
    p.setPen(QPen(ink, 1.5));
    p.drawPolygon(QPolygonF({{10, 5}, {10, 19}, {3, 19}}));
    p.drawPolygon(QPolygonF({{14, 5}, {14, 19}, {21, 19}}));
  } else if (n == "TB_Array") {
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) p.drawRect(QRectF(3 + 7 * i, 3 + 7 * j, 4, 4));
  } else if (n == "A_CopyObject") {
    p.drawRect(QRectF(3, 3, 11, 11));
    p.drawRect(QRectF(10, 10, 11, 11));
  } else if (n == "A_Offset") {
    p.drawLine(QPointF(3, 8), QPointF(21, 8));
    p.setPen(QPen(ink, 1.5, Qt::DashLine));
    p.drawLine(QPointF(3, 17), QPointF(21, 17));
  } else if (n == "A_AddPoint" || n == "A_DeletePoint") {
    p.drawPolyline(QPolygonF({{3, 19}, {12, 6}, {21, 19}}));
    p.setBrush(n == "A_AddPoint" ? QColor(0, 160, 0) : QColor(200, 0, 0));
    p.drawRect(QRectF(9.5, 3.5, 5, 5));
  } else {
    return false;
  }
  return true;
}

}  // namespace

QPixmap GreyedIcon(const QPixmap& Picture) {
  QImage image = Picture.toImage().convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      // Any ink becomes a light grey, at under half its strength.
      const int g = 150 + qGray(row[x]) * 70 / 255;
      row[x] = qRgba(g, g, g, qAlpha(row[x]) * 2 / 5);
    }
  }
  return QPixmap::fromImage(image);
}

QIcon ActionIcon(std::string_view Name) {
  QPixmap pm = Blank();
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const bool drawn = Draw(p, Name);
  p.end();
  if (!drawn) return QIcon();
  // The style's own disabled picture keeps most of the colour: a disabled
  // button is hard to tell from an enabled one.
  QIcon icon(pm);
  icon.addPixmap(GreyedIcon(pm), QIcon::Disabled);
  return icon;
}
