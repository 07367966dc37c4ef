#include "Cls_MyTree.h"
#include "MessageBoxRecorder.h"
#include "platform_wrappers.h"

#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

namespace {

const QString kNoSelectionPrompt =
    QStringLiteral("Treeの項目が選択されておりません。\r\n何かしら選択してください。");
const QString kNoSelectionTitle = QStringLiteral("追加できません。");
const QString kLeafPrompt =
    QStringLiteral("末端の子ノードが選択されています。\r\nこの処理を継続できません。");
const QString kLeafTitle = QStringLiteral("処理中止");
const QString kRemovePrompt =
    QStringLiteral("削除すると復元できません。\r\n削除してもよろしいですか？");
const QString kRemoveTitle = QStringLiteral("最後の選択");

} // namespace

class tst_MyTree final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void setInitEmptiesControl();
    void generatedKeys_data();
    void generatedKeys();
    void refusedKeys_data();
    void refusedKeys();
    void rootNodeCarriesDummy();
    void addNodeUnderRelative();
    void expandLoadsChildren_data();
    void expandLoadsChildren();
    void collapseDropsChildren();
    void moves_data();
    void moves();
    void movedFrameComesBackCollapsed();
    void moveRootRefusesChild();
    void removeSelected_data();
    void removeSelected();
    void selectionChecks_data();
    void selectionChecks();
    void persistenceRoundTrip();
    void persistenceRefusesUnsafeNames_data();
    void persistenceRefusesUnsafeNames();

private:
    QStringList topKeys() const;
    QStringList childKeys(const QString &parentKey) const;
    void addFrames(const QStringList &keys);

    std::unique_ptr<QTreeWidget> m_widget;
    std::unique_ptr<Cls_MyTree> m_tree;
    std::unique_ptr<MessageBoxRecorder> m_recorder;
};

void tst_MyTree::init()
{
    m_recorder = std::make_unique<MessageBoxRecorder>();
    m_recorder->setDefaultAnswer(MsgBox::Ok);
    m_widget = std::make_unique<QTreeWidget>();
    m_tree = std::make_unique<Cls_MyTree>();
    m_tree->Set_Init(m_widget.get());
    m_tree->Set_ImageListNo(2, 1, 3);
    m_tree->ControlWithSave_Prop(false);
    m_tree->ExpandWithSort_Prop(false);
}

void tst_MyTree::cleanup()
{
    m_tree.reset();
    m_widget.reset();
    m_recorder.reset();
}

QStringList tst_MyTree::topKeys() const
{
    QStringList keys;
    for (int i = 0; i < m_widget->topLevelItemCount(); ++i) {
        keys << Cls_MyTree::NodeKey(m_widget->topLevelItem(i));
    }
    return keys;
}

QStringList tst_MyTree::childKeys(const QString &parentKey) const
{
    QStringList keys;
    const QTreeWidgetItem *parent = m_tree->FindNode(parentKey);
    for (int i = 0; parent != nullptr && i < parent->childCount(); ++i) {
        keys << Cls_MyTree::NodeKey(parent->child(i));
    }
    return keys;
}

void tst_MyTree::addFrames(const QStringList &keys)
{
    for (const QString &key : keys) {
        QVERIFY(
            m_tree->AddRootNode(key + QStringLiteral(" title"), key, key + QStringLiteral("-tag")));
    }
}

void tst_MyTree::setInitEmptiesControl()
{
    auto *stray = new QTreeWidgetItem(m_widget.get()); // owned by the widget
    stray->setText(0, QStringLiteral("left over"));
    new QTreeWidgetItem(stray);
    Cls_MyTree other;
    other.Set_Init(m_widget.get());
    QCOMPARE(m_widget->topLevelItemCount(), 0);
}

void tst_MyTree::generatedKeys_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("priorKeys");
    QTest::addColumn<QString>("expected");

    QTest::newRow("first top-level") << 1 << 0 << "LV1_IDX0_Frame";
    QTest::newRow("third top-level") << 1 << 2 << "LV1_IDX2_Frame";
    QTest::newRow("child after one") << 2 << 1 << "LV2_IDX1_Frame";
    QTest::newRow("grandchild") << 3 << 0 << "LV3_IDX0_Frame";
}

void tst_MyTree::generatedKeys()
{
    QFETCH(int, level);
    QFETCH(int, priorKeys);
    QFETCH(QString, expected);

    for (int i = 0; i < priorKeys; ++i) {
        QVERIFY(m_tree->AddRootNode(QStringLiteral("Frame"), QString(), QString()));
    }
    // Explicit keys do not use the counter.
    QVERIFY(m_tree->AddRootNode(QStringLiteral("P"), QStringLiteral("P"), QString()));
    QVERIFY(m_tree->AddNode(QStringLiteral("P"), QStringLiteral("Q"), QStringLiteral("Q"), {}));
    QCOMPARE(m_tree->SettingValue_Prop(), priorKeys);

    const QString text = QStringLiteral("Frame");
    const QString tag = QStringLiteral("t");
    const bool added = level == 1   ? m_tree->AddRootNode(text, QString(), tag)
                       : level == 2 ? m_tree->AddChild(QStringLiteral("P"), text, QString(), tag)
                                    : m_tree->AddChild(QStringLiteral("Q"), text, QString(), tag);
    QVERIFY(added);
    QCOMPARE(m_tree->SettingValue_Prop(), priorKeys + 1);
    const QTreeWidgetItem *node = m_tree->FindNode(expected);
    QVERIFY(node != nullptr);
    QCOMPARE(node->text(0), text);
    QCOMPARE(Cls_MyTree::NodeTag(node), tag);
    QCOMPARE(m_tree->IsChild(node), level != 1);
}

void tst_MyTree::refusedKeys_data()
{
    QTest::addColumn<QString>("parentKey");
    QTest::addColumn<QString>("key");

    QTest::newRow("duplicate") << "Root0"
                               << "Root0";
    QTest::newRow("duplicate of a child") << "Root0"
                                          << "Item";
    QTest::newRow("placeholder") << "Root0"
                                 << "SettingName";
    QTest::newRow("dummy mark") << "Root0"
                                << "XXXXDummyXXXXmine";
    QTest::newRow("missing parent") << "NoSuchFrame"
                                    << "Fresh";
}

void tst_MyTree::refusedKeys()
{
    QFETCH(QString, parentKey);
    QFETCH(QString, key);

    QVERIFY(m_tree->AddRootNode(QStringLiteral("Frame"), QStringLiteral("Root0"), QString()));
    QVERIFY(m_tree->AddChild(QStringLiteral("Root0"), QStringLiteral("Item"),
                             QStringLiteral("Item"), QString()));
    const auto nodeCount = [this] {
        int count = 0;
        for (QTreeWidgetItemIterator it(m_widget.get()); *it != nullptr; ++it) {
            ++count;
        }
        return count;
    };
    const int before = nodeCount();

    QVERIFY(!m_tree->AddChild(parentKey, QStringLiteral("X"), key, QString()));
    QVERIFY(!m_tree->AddNode(parentKey, QStringLiteral("X"), key, QString()));
    if (m_tree->FindNode(parentKey) != nullptr) {
        QVERIFY(!m_tree->AddRootNode(QStringLiteral("X"), key, QString()));
    }

    QCOMPARE(nodeCount(), before);
    QVERIFY(m_tree->FindNode(QStringLiteral("SettingName")) == nullptr);
    // The frame keeps its dummy when a branch under it is refused.
    QCOMPARE(childKeys(QStringLiteral("Root0")),
             QStringList({QStringLiteral("XXXXDummyXXXXRoot0"), QStringLiteral("Item")}));
}

void tst_MyTree::rootNodeCarriesDummy()
{
    QList<QIcon> icons;
    for (const Qt::GlobalColor colour : {Qt::red, Qt::green, Qt::blue}) {
        QPixmap pixmap(8, 8);
        pixmap.fill(colour);
        icons.append(QIcon(pixmap));
    }
    m_tree->ImageList_Prop(icons);
    QVERIFY(m_tree->AddRootNode(QStringLiteral("Frame"), QStringLiteral("Root0"),
                                QStringLiteral("<Title>Frame</Title>")));
    const QTreeWidgetItem *frame = m_tree->FindNode(QStringLiteral("Root0"));
    QVERIFY(frame != nullptr);
    QCOMPARE(Cls_MyTree::NodeImage(frame), 1);
    QVERIFY(!m_tree->IsChild(frame));
    QCOMPARE(frame->childCount(), 1);
    const QTreeWidgetItem *dummy = frame->child(0);
    QCOMPARE(Cls_MyTree::NodeKey(dummy), QStringLiteral("XXXXDummyXXXXRoot0"));
    QCOMPARE(dummy->text(0), QStringLiteral("XXXXDummyXXXXRoot0"));
    QCOMPARE(Cls_MyTree::NodeTag(dummy), QString());
    QVERIFY(Cls_MyTree::IsDummyNode(dummy));
    QVERIFY(m_tree->IsChild(dummy));
    QCOMPARE(frame->icon(0).cacheKey(), icons.at(0).cacheKey());
    QCOMPARE(dummy->icon(0).cacheKey(), icons.at(2).cacheKey());
    m_tree->FindNode(QStringLiteral("Root0"))->setExpanded(true);
    QCOMPARE(frame->icon(0).cacheKey(), icons.at(1).cacheKey());
    QCOMPARE(frame->childCount(), 0);
}

void tst_MyTree::addNodeUnderRelative()
{
    addFrames({QStringLiteral("A")});
    QVERIFY(m_tree->AddNode(QStringLiteral("A"), QStringLiteral("Sub"), QStringLiteral("S"),
                            QString()));
    QCOMPARE(childKeys(QStringLiteral("A")), QStringList{QStringLiteral("S")});
    QCOMPARE(childKeys(QStringLiteral("S")), QStringList{QStringLiteral("XXXXDummyXXXXS")});
    QVERIFY(!m_tree->IsChild(m_tree->FindNode(QStringLiteral("S"))));
}

void tst_MyTree::expandLoadsChildren_data()
{
    QTest::addColumn<bool>("sort");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("file order") << false
                                << QStringList{QStringLiteral("A0"), QStringLiteral("A1"),
                                               QStringLiteral("A2")};
    QTest::newRow("sorted") << true
                            << QStringList{QStringLiteral("A1"), QStringLiteral("A2"),
                                           QStringLiteral("A0")};
}

void tst_MyTree::expandLoadsChildren()
{
    QFETCH(bool, sort);
    QFETCH(QStringList, expected);

    m_tree->ExpandWithSort_Prop(sort);
    addFrames({QStringLiteral("A")});
    int loads = 0;
    connect(m_tree.get(), &Cls_MyTree::NodeExpanded, this, [&](QTreeWidgetItem *node) {
        ++loads;
        const QString key = Cls_MyTree::NodeKey(node);
        const QStringList names{QStringLiteral("zeta"), QStringLiteral("alpha"),
                                QStringLiteral("beta")};
        for (int i = 0; i < names.size(); ++i) {
            QVERIFY(m_tree->AddChild(key, names.at(i), key + QString::number(i), QString()));
        }
    });
    QTreeWidgetItem *frame = m_tree->FindNode(QStringLiteral("A"));
    frame->setExpanded(true);
    QCOMPARE(loads, 1);
    QCOMPARE(childKeys(QStringLiteral("A")), expected);
    QCOMPARE(Cls_MyTree::NodeImage(frame), 2);
}

void tst_MyTree::collapseDropsChildren()
{
    addFrames({QStringLiteral("A")});
    connect(m_tree.get(), &Cls_MyTree::NodeExpanded, this, [&](QTreeWidgetItem *node) {
        QVERIFY(m_tree->AddChild(Cls_MyTree::NodeKey(node), QStringLiteral("item"),
                                 QStringLiteral("A0"), QString()));
    });
    QTreeWidgetItem *frame = m_tree->FindNode(QStringLiteral("A"));
    frame->setExpanded(true);
    QCOMPARE(childKeys(QStringLiteral("A")), QStringList{QStringLiteral("A0")});
    frame->setExpanded(false);
    QCOMPARE(childKeys(QStringLiteral("A")), QStringList{QStringLiteral("XXXXDummyXXXXA")});
    QCOMPARE(Cls_MyTree::NodeImage(frame), 1);
    // Children come back from the owner's data on the next expand, without a dummy.
    frame->setExpanded(true);
    QCOMPARE(childKeys(QStringLiteral("A")), QStringList{QStringLiteral("A0")});

    // Children loaded into a branch the view shows collapsed go the same way.
    QVERIFY(m_tree->AddRootNode(QStringLiteral("B"), QStringLiteral("B"), QString()));
    QTreeWidgetItem *other = m_tree->FindNode(QStringLiteral("B"));
    QVERIFY(m_tree->AddChild(QStringLiteral("B"), QStringLiteral("b"), QStringLiteral("B0"), {}));
    QVERIFY(m_tree->RemoveDummyNode(other));
    QCOMPARE(childKeys(QStringLiteral("B")), QStringList{QStringLiteral("B0")});
    QVERIFY(m_tree->CollapseNode(other));
    QCOMPARE(childKeys(QStringLiteral("B")), QStringList{QStringLiteral("XXXXDummyXXXXB")});
    QVERIFY(!m_tree->CollapseNode(m_tree->FindNode(QStringLiteral("A0"))));
}

void tst_MyTree::moves_data()
{
    QTest::addColumn<bool>("children");
    QTest::addColumn<QString>("select");
    QTest::addColumn<bool>("up");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("expected");

    for (const bool children : {false, true}) {
        const QByteArray level = children ? "item " : "frame ";
        QTest::newRow(level + "first up") << children << "A" << true << false << "A B C";
        QTest::newRow(level + "middle up") << children << "B" << true << true << "B A C";
        QTest::newRow(level + "last up") << children << "C" << true << true << "A C B";
        QTest::newRow(level + "first down") << children << "A" << false << true << "B A C";
        QTest::newRow(level + "middle down") << children << "B" << false << true << "A C B";
        QTest::newRow(level + "last down") << children << "C" << false << false << "A B C";
    }
    QTest::newRow("frame middle up of four") << false << "C" << true << true << "A C B D";
    QTest::newRow("frame middle down of four") << false << "B" << false << true << "A C B D";
}

void tst_MyTree::moves()
{
    QFETCH(bool, children);
    QFETCH(QString, select);
    QFETCH(bool, up);
    QFETCH(bool, result);
    QFETCH(QString, expected);

    const QStringList keys = QString::fromLatin1(QTest::currentDataTag()).contains("four")
                                 ? QStringList{"A", "B", "C", "D"}
                                 : QStringList{"A", "B", "C"};
    if (children) {
        addFrames({QStringLiteral("F")});
        QTreeWidgetItem *frame = m_tree->FindNode(QStringLiteral("F"));
        frame->setExpanded(true);
        for (const QString &key : keys) {
            QVERIFY(m_tree->AddChild(QStringLiteral("F"), key, key, key + QStringLiteral("-tag")));
        }
    } else {
        addFrames(keys);
    }
    QVERIFY(m_tree->SelectNode(select));

    const bool moved = children
                           ? (up ? m_tree->MoveNodePrevious() : m_tree->MoveNodeNext())
                           : (up ? m_tree->MoveRootNodePrevious() : m_tree->MoveRootNodeNext());
    QCOMPARE(moved, result);
    const QStringList order = children ? childKeys(QStringLiteral("F")) : topKeys();
    QCOMPARE(order.join(u' '), expected);
    QCOMPARE(Cls_MyTree::NodeKey(m_tree->SelectedNode()), select);
    QVERIFY(m_recorder->isEmpty());
    for (const QString &key : keys) {
        const QTreeWidgetItem *node = m_tree->FindNode(key);
        QCOMPARE(Cls_MyTree::NodeTag(node), key + QStringLiteral("-tag"));
        QCOMPARE(m_tree->IsChild(node), children);
    }
}

void tst_MyTree::movedFrameComesBackCollapsed()
{
    addFrames({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    connect(m_tree.get(), &Cls_MyTree::NodeExpanded, this, [&](QTreeWidgetItem *node) {
        const QString key = Cls_MyTree::NodeKey(node);
        QVERIFY(
            m_tree->AddChild(key, QStringLiteral("item"), key + QStringLiteral("0"), QString()));
    });
    m_tree->FindNode(QStringLiteral("A"))->setExpanded(true);
    QVERIFY(m_tree->SelectNode(QStringLiteral("B")));
    QVERIFY(m_tree->MoveRootNodePrevious());
    const QTreeWidgetItem *a = m_tree->FindNode(QStringLiteral("A"));
    QVERIFY(!a->isExpanded());
    QCOMPARE(Cls_MyTree::NodeImage(a), 1);
    QCOMPARE(childKeys(QStringLiteral("A")), QStringList{QStringLiteral("XXXXDummyXXXXA")});
    QCOMPARE(a->text(0), QStringLiteral("A title"));
}

void tst_MyTree::moveRootRefusesChild()
{
    addFrames({QStringLiteral("F")});
    QVERIFY(m_tree->AddChild(QStringLiteral("F"), QStringLiteral("a"), QStringLiteral("a"), {}));
    QVERIFY(m_tree->AddChild(QStringLiteral("F"), QStringLiteral("b"), QStringLiteral("b"), {}));
    QVERIFY(m_tree->SelectNode(QStringLiteral("b")));
    QVERIFY(!m_tree->MoveRootNodePrevious());
    QCOMPARE(childKeys(QStringLiteral("F")).join(u' '), QStringLiteral("XXXXDummyXXXXF a b"));

    m_widget->clearSelection();
    QVERIFY(!m_tree->MoveNodePrevious());
    QCOMPARE(m_recorder->count(), 1);
    QCOMPARE(m_recorder->at(0).title, kNoSelectionTitle);
}

void tst_MyTree::removeSelected_data()
{
    QTest::addColumn<bool>("quiet");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("removed");

    QTest::newRow("confirmed") << false << int(MsgBox::Ok) << true;
    QTest::newRow("cancelled") << false << int(MsgBox::Cancel) << false;
    QTest::newRow("quiet") << true << int(MsgBox::Cancel) << true;
}

void tst_MyTree::removeSelected()
{
    QFETCH(bool, quiet);
    QFETCH(int, answer);
    QFETCH(bool, removed);

    addFrames({QStringLiteral("A"), QStringLiteral("B")});
    QVERIFY(m_tree->AddNode(QStringLiteral("B"), QStringLiteral("sub"), QStringLiteral("S"), {}));
    QVERIFY(m_tree->SelectNode(QStringLiteral("B")));
    m_recorder->setDefaultAnswer(answer);

    QCOMPARE(m_tree->RemoveNode_Selected(quiet), removed);
    QCOMPARE(m_tree->FindNode(QStringLiteral("B")) == nullptr, removed);
    QCOMPARE(m_tree->FindNode(QStringLiteral("S")) == nullptr, removed);
    QVERIFY(m_tree->FindNode(QStringLiteral("A")) != nullptr);
    if (quiet) {
        QVERIFY(m_recorder->isEmpty());
    } else {
        QCOMPARE(m_recorder->count(), 1);
        QCOMPARE(m_recorder->at(0).prompt, kRemovePrompt);
        QCOMPARE(m_recorder->at(0).title, kRemoveTitle);
        QCOMPARE(m_recorder->at(0).style, MsgBox::Question | MsgBox::OkCancel);
    }
}

void tst_MyTree::selectionChecks_data()
{
    QTest::addColumn<QString>("select");
    QTest::addColumn<bool>("quiet");
    QTest::addColumn<bool>("isSelected");
    QTest::addColumn<bool>("isBranch");
    QTest::addColumn<QString>("message");

    QTest::newRow("nothing") << QString() << false << false << false << kNoSelectionTitle;
    QTest::newRow("nothing quiet") << QString() << true << false << false << QString();
    QTest::newRow("leaf") << "I" << false << true << false << kLeafTitle;
    QTest::newRow("leaf quiet") << "I" << true << true << false << QString();
    QTest::newRow("branch") << "F" << false << true << true << QString();
}

void tst_MyTree::selectionChecks()
{
    QFETCH(QString, select);
    QFETCH(bool, quiet);
    QFETCH(bool, isSelected);
    QFETCH(bool, isBranch);
    QFETCH(QString, message);

    addFrames({QStringLiteral("F")});
    QVERIFY(m_tree->AddChild(QStringLiteral("F"), QStringLiteral("item"), QStringLiteral("I"), {}));
    if (!select.isEmpty()) {
        QVERIFY(m_tree->SelectNode(select));
    }

    QCOMPARE(m_tree->IsNodeSelect(true), isSelected);
    QVERIFY(m_recorder->isEmpty());
    QCOMPARE(m_tree->CheckSelected_isChild(quiet), isBranch);
    if (message.isEmpty()) {
        QVERIFY(m_recorder->isEmpty());
    } else {
        QCOMPARE(m_recorder->count(), 1);
        QCOMPARE(m_recorder->at(0).title, message);
        QCOMPARE(m_recorder->at(0).prompt,
                 message == kLeafTitle ? kLeafPrompt : kNoSelectionPrompt);
        QCOMPARE(m_recorder->at(0).style, MsgBox::Exclamation | MsgBox::OkOnly);
    }

    // The commands that need a selection report in the same way.
    m_recorder->clear();
    const bool added = m_tree->AddChild_Selected(QStringLiteral("new"), QStringLiteral("N"), {});
    QCOMPARE(added, isSelected);
    QCOMPARE(m_recorder->count(), isSelected ? 0 : 1);
    QTreeWidgetItem *node = nullptr;
    QCOMPARE(m_tree->GetSelectedNode(node), isSelected);
    QCOMPARE(node != nullptr, isSelected);
}

void tst_MyTree::persistenceRoundTrip()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    m_tree->SaveFilePath_Prop(dir.path());
    m_tree->ControlWithSave_Prop(true);
    const QString frameTag = QStringLiteral("<Title>枠</Title>\r\n<LineCount>2</LineCount>\r\n");
    QVERIFY(m_tree->AddRootNode(QStringLiteral("枠"), QString(), frameTag));
    const QString frameKey = QStringLiteral("LV1_IDX0_枠");
    QVERIFY(m_tree->AddChild(frameKey, QStringLiteral("項目"), QStringLiteral("K1"),
                             QStringLiteral("<Name>項目</Name>")));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("枠.xml"))));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("枠/項目.xml"))));

    QStringList values;
    QVERIFY(m_tree->LoadNode(QStringLiteral("枠/項目.xml"), values));
    QCOMPARE(values.mid(0, 4), QStringList({QStringLiteral("K1"), QStringLiteral("項目"),
                                            QStringLiteral("<Name>項目</Name>"), frameKey}));
    QVERIFY(!m_tree->LoadNode(QStringLiteral("missing.xml"), values));
    QVERIFY(values.isEmpty());

    QTreeWidget otherWidget;
    Cls_MyTree other;
    other.Set_Init(&otherWidget);
    other.ControlWithSave_Prop(false);
    other.SaveFilePath_Prop(dir.path());
    QVERIFY(other.LoadRootNodes());
    QCOMPARE(otherWidget.topLevelItemCount(), 1);
    QTreeWidgetItem *frame = other.FindNode(frameKey);
    QVERIFY(frame != nullptr);
    QCOMPARE(Cls_MyTree::NodeTag(frame), frameTag);
    QVERIFY(!other.IsChild(frame));
    QCOMPARE(other.SettingValue_Prop(), 1);
    QVERIFY(other.LoadChildNodes(frame));
    QCOMPARE(frame->childCount(), 1);
    QCOMPARE(Cls_MyTree::NodeKey(frame->child(0)), QStringLiteral("K1"));
    QVERIFY(other.IsChild(frame->child(0)));
}

void tst_MyTree::persistenceRefusesUnsafeNames_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<bool>("message");

    QTest::newRow("empty name") << QString() << QString() << true;
    QTest::newRow("parent folder") << ".." << QString() << false;
    QTest::newRow("path") << "../escape" << QString() << false;
    QTest::newRow("tag that cannot read back") << "ok"
                                               << "a</TAG>b" << false;
    QTest::newRow("lone CR") << "ok"
                             << "a\rb" << false;
}

void tst_MyTree::persistenceRefusesUnsafeNames()
{
    QFETCH(QString, text);
    QFETCH(QString, tag);
    QFETCH(bool, message);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString root = dir.filePath(QStringLiteral("save"));
    QVERIFY(QDir().mkpath(root));
    m_tree->SaveFilePath_Prop(root);
    QVERIFY(m_tree->AddRootNode(text, QStringLiteral("K"), tag));
    QVERIFY(!m_tree->SaveNode(m_tree->FindNode(QStringLiteral("K"))));
    QCOMPARE(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("save")});
    QCOMPARE(m_recorder->count(), message ? 1 : 0);
    if (message) {
        QCOMPARE(m_recorder->at(0).prompt, QStringLiteral("ファイル名が設定されてません。"));
        QCOMPARE(m_recorder->at(0).title, QStringLiteral("設定ミス"));
    }
}

QTEST_MAIN(tst_MyTree)
#include "tst_mytree.moc"
